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
    const QDir folder = directory();
    const auto resolved = [&folder](QString name) {
        if (name == QLatin1String("~") || name.startsWith(QLatin1String("~/")))
            name = QDir::homePath() + name.mid(1);
        return QDir::cleanPath(folder.absoluteFilePath(name));
    };
    if (text.trimmed().isEmpty())
        return {};
    // A name that is there is taken whole, quotes and all: a"b.txt is one file.
    if (!text.startsWith(QLatin1Char('"')) || QFileInfo::exists(resolved(text)))
        return {resolved(text)};
    // "a.txt" "b.txt": each name runs from its opening quote to a quote that a blank or the end
    // follows, so a quote inside a name ("a"b.txt") stays part of it.
    QStringList names;
    qsizetype at = 0;
    while (at < text.size()) {
        while (at < text.size() && text[at] == QLatin1Char(' '))
            ++at;
        if (at >= text.size())
            break;
        if (text[at] != QLatin1Char('"')) {
            // Words after the quoted names are a name of their own.
            names << resolved(text.mid(at).trimmed());
            break;
        }
        qsizetype end = at + 1;
        while (end < text.size()
               && !(text[end] == QLatin1Char('"')
                    && (end + 1 == text.size() || text[end + 1] == QLatin1Char(' '))))
            ++end;
        const QString name = text.mid(at + 1, end - at - 1);
        if (!name.isEmpty())
            names << resolved(name);
        at = end + 1;
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
