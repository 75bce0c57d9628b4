#pragma once

#include <QLabel>

namespace quillon {

/// A one-line label of a fixed width whose text, a driver name or a port that may be a long
/// path, is shortened in the middle instead of widening the dialog or being cut off. text()
/// stays the whole text.
class ElidedLabel : public QLabel
{
public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    /// Sets the text and the tooltip that shows it whole.
    void setFullText(const QString &text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace quillon
