#pragma once

#include <QString>

namespace quillon {

/// The preview window's progress bar, as the page driver and renderers see it.
class PreviewProgressSink
{
public:
    virtual ~PreviewProgressSink() = default;
    virtual double value() const = 0;
    virtual void setValue(double value) = 0;
    virtual void setVisible(bool visible) = 0;
};

/// The preview window's status bar with its three panels (page, paper, zoom).
class PreviewStatusSink
{
public:
    virtual ~PreviewStatusSink() = default;
    virtual void setPanelText(int panel, const QString &text) = 0;
};

} // namespace quillon
