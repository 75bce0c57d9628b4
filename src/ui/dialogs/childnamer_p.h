#pragma once

#include <QAnyStringView>
#include <QWidget>

namespace quillon {

/// A function that names a new control and puts it on `parent`: the dialogs' callers and tests
/// find their controls by these names.
inline auto childNamer(QWidget *parent)
{
    return [parent](auto *widget, QAnyStringView name) {
        widget->setObjectName(name.toString());
        widget->setParent(parent);
        return widget;
    };
}

} // namespace quillon
