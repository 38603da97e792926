#include "window/desktop/open_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

OpenDialog::OpenDialog(QWidget* parent, const QString& caption) : QFileDialog(parent, caption)
{
    // Only Qt's own dialog lets every typed name through; a platform's dialog would not.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptOpen);
}

QStringList OpenDialog::typedNames() const
{
    const auto* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString text = field != nullptr ? field->text() : QString();
    QStringList names;
    if (text.contains(QLatin1Char('"'))) {
        // "a.txt" "b.txt": the names are the pieces between the quotes.
        const QStringList pieces = text.split(QLatin1Char('"'));
        for (qsizetype i = 1; i < pieces.size(); i += 2)
            if (!pieces[i].isEmpty())
                names << pieces[i];
    } else if (!text.trimmed().isEmpty()) {
        names << text;
    }
    const QDir folder = directory();
    for (QString& name : names) {
        if (name == QLatin1String("~") || name.startsWith(QLatin1String("~/")))
            name = QDir::homePath() + name.mid(1);
        name = QDir::cleanPath(folder.absoluteFilePath(name));
    }
    return names;
}

void OpenDialog::accept()
{
    const QStringList names = typedNames();
    // A lone folder is opened in the dialog, as Qt does; an empty field, and several names
    // where one is asked for, are Qt's to answer too.
    if (names.isEmpty() || (names.size() == 1 && QFileInfo(names.first()).isDir())
        || (names.size() > 1 && fileMode() != QFileDialog::ExistingFiles)) {
        QFileDialog::accept();
        return;
    }
    chosen_ = names;
    // Ends the dialog as accepted, past the test of the names that Qt's accept() makes.
    done(QDialog::Accepted);
}
