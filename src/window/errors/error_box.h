#pragma once

#include <QString>

// Where the error report shows its box. The desktop seam is one; keeping this interface here
// lets the step guard sit below every room that may fail, the desktop's among them.
class ErrorBox {
public:
    virtual ~ErrorBox() = default;
    // A warning box with one OK button; returns when the user closes it.
    virtual void showWarning(const QString& text, const QString& title) = 0;

protected:
    ErrorBox() = default;
    ErrorBox(const ErrorBox&) = default;
    ErrorBox& operator=(const ErrorBox&) = default;
};
