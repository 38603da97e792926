#include "files/text_lines.h"

#include "lists/list_model.h"
#include "lists/raw_array.h"

#include <algorithm>
#include <cstring>

namespace {

// The phone list as the reader's sink.
class ListSink final : public LineSink {
public:
    explicit ListSink(ListModel& items) : items_(items) {}

    void bytesLine(std::string_view bytes, qsizetype) override
    {
        items_.appendDeferred(
            QLatin1StringView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
    void unitsLine(std::u16string_view units) override
    {
        items_.appendDeferred(QStringView(units.data(), static_cast<qsizetype>(units.size())));
    }

private:
    ListModel& items_;
};

}  // namespace

void AppendPhoneLines(const ReadAt& read, ListModel& items, qsizetype block)
{
    ListSink sink(items);
    LineReader reader(read, sink, LineReader::Form::Utf16, block);
    // A line of megabytes so far: the list's room for it is taken as it comes, a block at a
    // time, so that its append at the end lands in memory already the program's.
    reader.onOpenLine = [&items, block](qsizetype open) {
        if (open >= kSliceBytes)
            items.prepareRoom(open + block, [] {});
    };
    reader.run();
}

void AppendPhoneLines(const QByteArray& bytes, ListModel& items, qsizetype block)
{
    AppendPhoneLines(
        [&bytes](qint64 offset, char* into, qsizetype size) {
            const qsizetype got = std::clamp<qsizetype>(bytes.size() - offset, 0, size);
            std::memcpy(into, bytes.constData() + offset, static_cast<size_t>(got));
            return got;
        },
        // Bytes already in memory need no block larger than themselves (a rule file of a few
        // lines would otherwise take a megabyte for each reading).
        items, std::min<qsizetype>(block, bytes.size() + 1));
}

void ForEachFileLine(const QByteArray& bytes, const std::function<void(QStringView)>& line)
{
    ListModel lines;
    AppendPhoneLines(bytes, lines);
    QString text;
    for (qsizetype r = 0; r < lines.count(); ++r) {
        lines.texts().read(r, text);
        line(text);
    }
}
