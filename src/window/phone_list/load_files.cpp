#include "window/form1.h"

#include "files/file_system.h"
#include "files/load_room.h"
#include "files/path_tidy.h"
#include "files/text_lines.h"
#include "lists/memory_room.h"
#include "window/errors/procedure.h"

#include <QFile>
#include <QScopeGuard>

#include <new>

// Appends every line of a text file to the list. A missing file gets its own message; other
// failures pass to the caller, which reports them.
void Form1::AddNumbersFromFile(ListView& list, const QString& path)
{
    if (!FileExists(path)) {
        MsgBox(QStringLiteral("File not found"));
        return;
    }
    AppendLinesOfFile(list, QFile::encodeName(path));
}

void Form1::AppendLinesOfFile(ListView& list, const QByteArray& name)
{
    const ReadableFile file(name);
    // A file that cannot fit is refused before a byte of it is read; the lists stay as they were.
    const qint64 room = MemoryRoomNow();
    if (!LoadFits(file.size(), room))
        throw std::bad_alloc();
    ListModel& items = list.items();
    const auto stored = [&items] {
        const TextColumn& texts = items.texts();
        return qint64(texts.characters()) * (texts.wide() ? 2 : 1) + qint64(texts.count()) * 4;
    };
    const qint64 before = stored();
    // The window repaints between blocks, so a file of a gigabyte or a line of fifty megabytes
    // does not freeze it; a row is appended only once it is whole. Clicks and keys wait for the
    // end of the load, as before, and drops are refused meanwhile: a run started halfway would
    // format part of the file and say "Done.".
    Pacer pacer = MakePacer(true, Pacer::Input::Waits);
    ++loadsUnderWay_;
    const auto loaded = qScopeGuard([this] { --loadsUnderWay_; });
    const auto read = [&](qint64 offset, char* into, qsizetype size) {
        pacer.paceSlice();
        // A file that needs more than its size foretold (characters beyond eight bits take two
        // bytes each) stops with the rows read so far, before the kernel would end the program.
        if (!StillFits(stored() - before, room))
            throw std::bad_alloc();
        return file.readAt(offset, into, size);
    };
    try {
        AppendPhoneLines(read, items);
    } catch (...) {
        // The rows read before a failure stay, and the view is told of them.
        items.flushAppends();
        throw;
    }
    items.flushAppends();
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
    // The rows the files add are one step to undo; a list cleared while the load yields keeps
    // the rows added before the clear as a step of their own.
    ListHistory::Appending appending(history_, ListView1->items());
    proc.step(114, [&] { setPointer(Pointer::Hourglass); });
    if (pieces.size() == 1) {                                                     // 116
        proc.step(120, [&] { AddNumbersFromFile(*ListView1, pieces.first()); });  // 118, 120
    } else if (pieces.size() >= 2) {                                              // 122
        for (qsizetype i = 1; i < pieces.size(); ++i) {                           // 124 to 136
            QString path;
            proc.step(130, [&] { path = pieces.first() + QLatin1Char('/') + pieces[i]; });
            proc.step(132, [&] { path = FixDoubleSlashes(path); });
            proc.step(134, [&] { AddNumbersFromFile(*ListView1, path); });
            proc.forgetShown();  // each file that fails has a report of its own
        }
    }
    proc.step(138, [&] { setPointer(Pointer::Default); });
    appending.record();
}
