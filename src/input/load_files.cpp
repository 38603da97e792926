#include "app/form1.h"

#include "app/desktop/file_system.h"
#include "app/errors/procedure.h"
#include "input/path_tidy.h"
#include "input/text_lines.h"

// Appends every line of a text file to the list. A missing file gets its own message; other
// failures pass to the caller, which reports them.
void Form1::AddNumbersFromFile(ListView& list, const QString& path)
{
    if (!FileExists(path)) {
        MsgBox(QStringLiteral("File not found"));
        return;
    }
    // The file is read whole and closed before anything is appended.
    AppendPhoneLines(ReadWholeFile(path), list.items());
    list.items().flushAppends();
}

void Form1::LoadPhoneNumberFiles(const QStringList& paths)
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton3_Click "));
    const qsizetype firstRow = ListView1->count();
    proc.step(114, [&] { setPointer(Pointer::Hourglass); });
    for (const QString& path : paths)
        proc.step(134, [&] { AddNumbersFromFile(*ListView1, path); });
    proc.step(138, [&] { setPointer(Pointer::Default); });
    RecordAppends(*ListView1, firstRow);
}

// "Load Phone Numbers From File": one or several files, each line one phone number.
void Form1::PushButton3_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton3_Click "));
    proc.step(100, [&] { dialogFileName_.clear(); });
    FileDialogSettings settings;
    settings.multiSelect = true;  // 102
    settings.title =
        QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files");       // 104
    settings.filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");  // 106
    OpenFileResult chosen;
    proc.step(108, [&] { chosen = desktop_.openFileDialog(settings); });
    if (chosen.selectionTooLong) {
        MsgBox(QStringLiteral("You've selected too many files to add.\r\rPlease try adding via "
                              "the \"Add All\" button."));
        return;
    }
    if (chosen.text.isEmpty())  // 110
        return;
    QStringList pieces;
    proc.step(112, [&] { pieces = chosen.text.split(QChar(u'\0')); });
    const qsizetype firstRow = ListView1->count();
    proc.step(114, [&] { setPointer(Pointer::Hourglass); });
    if (pieces.size() == 1) {                                                     // 116
        proc.step(120, [&] { AddNumbersFromFile(*ListView1, pieces.first()); });  // 118, 120
    } else if (pieces.size() >= 2) {                                              // 122
        for (qsizetype i = 1; i < pieces.size(); ++i) {                           // 124 to 136
            QString path;
            proc.step(130, [&] { path = pieces.first() + QLatin1Char('/') + pieces[i]; });
            proc.step(132, [&] { path = FixDoubleSlashes(path); });
            proc.step(134, [&] { AddNumbersFromFile(*ListView1, path); });
        }
    }
    proc.step(138, [&] { setPointer(Pointer::Default); });
    RecordAppends(*ListView1, firstRow);
}
