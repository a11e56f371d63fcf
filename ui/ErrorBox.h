#pragma once

#include <QString>

#include <exception>

namespace ui {

// The program's general error box: what an event handler could not finish.
void showErrorBox(const QString &text);

// Runs an event handler; an error it raises ends that handler and is shown in
// the general error box, and the program goes on.
template <typename Handler> void guarded(Handler &&handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        showErrorBox(QString::fromUtf8(error.what()));
    }
}

// A slot that runs a window's handler guarded: connect(button, &QAbstractButton::clicked,
// form, ui::guardedHandler(form, &Form::buttonClick)).
template <typename Window, typename Handler> auto guardedHandler(Window *window, Handler handler)
{
    return [window, handler] { guarded([&] { (window->*handler)(); }); };
}

} // namespace ui
