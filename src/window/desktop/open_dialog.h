#pragma once

#include <QFileDialog>

// The dialog of a load: Qt's own, except that every name typed into it is handed on. Qt's
// dialog refuses a typed name that does not exist in a box of its own and keeps the dialog
// open, and of several typed names it passes on only those its list has selected, dropping
// the others without a word; the loader instead reports each missing name in the program's
// words and loads the rest.
class OpenDialog final : public QFileDialog {
public:
    OpenDialog(QWidget* parent, const QString& caption);

    // The names chosen, as absolute paths, once the dialog was accepted: those typed, or
    // those Qt's dialog chose where it answered itself.
    QStringList chosen() const { return chosen_.isEmpty() ? selectedFiles() : chosen_; }

    void accept() override;

private:
    // The names in the dialog's name field, each quoted when there are several, resolved
    // against the folder the dialog shows; empty when the field is blank.
    QStringList typedNames() const;

    QStringList chosen_;
};
