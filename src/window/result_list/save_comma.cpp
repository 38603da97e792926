#include "window/result_list/save_comma.h"

#include "files/text_file_writer.h"
#include "lists/covered_rows.h"
#include "lists/raw_array.h"
#include "window/desktop/desktop.h"
#include "window/desktop/pacer.h"
#include "window/errors/procedure.h"
#include "window/result_list/overwrite_question.h"

#include <functional>

namespace {

// Bytes of a line's memory taken from the system at a time, and units of a long row read.
constexpr auto kRoomSlice = static_cast<size_t>(kSliceBytes);

// Copying a long row into memory the program has never touched costs as much again as the copy,
// as the system hands the pages over one by one; they are taken in slices here instead, with
// window events between. The line is empty and the save's own, so nothing it reads can change.
void MakeRoom(std::string& line, size_t bytes, const std::function<void()>& between)
{
    if (line.capacity() >= bytes)
        return;
    line.reserve(bytes);
    for (size_t size = kRoomSlice; size < bytes; size += kRoomSlice) {
        line.resize(size);
        between();
    }
    line.clear();
}

// Reads a row's cells, commas between, onto the line a few megabytes at a time with window
// events between; false, as soon as it sees it, when the list changed meanwhile.
bool ReadInSlices(const ListModel& list, qsizetype r, std::string& line,
                  const std::function<void()>& between)
{
    constexpr qsizetype kSliceUnits = kSliceBytes;
    const quint64 revision = list.revision();
    const int columns = list.columnCountTotal();
    for (int k = 0; k < columns; ++k) {
        const qsizetype units = list.cellUnits(r, k);
        for (qsizetype at = 0; at < units;) {
            const qsizetype next = list.appendCellUtf8(line, r, k, at, kSliceUnits);
            if (next == units)
                break;
            between();
            if (next <= at || list.revision() != revision || list.columnCountTotal() != columns)
                return false;
            at = next;
        }
        if (k != columns - 1)
            line += ',';
    }
    return true;
}

}  // namespace

namespace SaveComma {

void SaveListviewAsCommaDelimToFile(Desktop& desktop, Pacer& pacer, const QString& applicationTitle,
                                    const ListModel& list, const QString& fileName)
{
    Procedure proc(
        desktop,
        QStringLiteral("in Tessaline2021/08/31.SaveComma.SaveListviewAsCommaDelimToFile "));
    bool replace = false;
    proc.step(102, [&] { replace = ConfirmOverwrite(desktop, applicationTitle, fileName); });
    if (!replace)  // 100 to 106
        return;

    const std::function<void()> between = [&pacer] { pacer.paceSlice(); };
    TextFileWriter file(fileName, between);
    // A file that cannot be created is reported once; nothing else would succeed after it.
    if (!proc.step(120, [&] { file.create(); }))
        return;
    // Lines are built in UTF-8, the file's own encoding, straight from the list, into the save's
    // own buffer, which no yield while it is written can change. A row is never part old, part
    // new: a long one read across yields is read again whole if the list changed meanwhile.
    std::string line;
    if (list.columnCountTotal() > 1) {  // 122
        proc.step(124, [&] { line.clear(); });
        proc.step(126, [&] {
            for (int k = 0; k < list.columnCountTotal(); ++k)
                line += list.columnCaption(k).toStdString() + ',';
        });
        if (!proc.step(132, [&] { file.writeUtf8Line(line); }))
            return;
    }
    // The rows counted here are written; one that leaves the list meanwhile ends the save.
    const CoveredRows covered(list, CoveredRows::WhenRowsLeave::Fail);
    const qsizetype rows = covered.count();  // 134
    for (qsizetype r = 0; r < rows; ++r) {
        proc.step(136, [&] { pacer.pace(); });
        line.clear();  // 150
        // A row that left the list is reported; the writer ends and the old file stays.
        const bool read = proc.step(154, [&] {
            covered.reach(r);
            size_t least = 0;
            for (int k = 0; k < list.columnCountTotal(); ++k)
                least += static_cast<size_t>(list.cellUnits(r, k)) + 1;
            // A row of millions of characters: room first, then the row, a slice at a time. Should
            // the list change while it is read, it is read again below, whole and at once.
            if (least >= kRoomSlice) {
                MakeRoom(line, least, between);
                covered.reach(r);  // the row may have left while the room was made
                if (ReadInSlices(list, r, line, between))
                    return;
                covered.reach(r);
                line.clear();
            }
            const int columns = list.columnCountTotal();  // 152
            for (int k = 0; k < columns; ++k) {
                list.appendCellUtf8(line, r, k);
                if (k != list.columnCountTotal() - 1)  // 160, 162
                    line += ',';
            }
        });
        if (!read)
            return;
        // 166 to 170: the last-line rule reads the row count afresh.
        if (list.columnCountTotal() <= 1 && r != list.count() - 1)
            line += ',';
        if (!proc.step(172, [&] { file.writeUtf8Line(line); }))
            return;
    }
    proc.step(182, [&] { file.commit(); });
}

}  // namespace SaveComma
