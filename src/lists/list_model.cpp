#include "lists/list_model.h"

#include "core/app_error.h"
#include "lists/character_count.h"
#include "lists/text_checks.h"

#include <QStringEncoder>

#include <algorithm>
#include <iterator>
#include <type_traits>
#include <utility>

namespace {
// Cells never set read as this one empty text.
const QString& EmptyText()
{
    static const QString empty;
    return empty;
}

// What a view shows of a text: all of it, or its beginning and an ellipsis when it is longer
// than any column could show. Views lay out the text they are given at every repaint, and a
// row of millions of characters (a file without line breaks) would hold the window for
// seconds. A surrogate pair is never cut in two.
QString Shown(QStringView text)
{
    if (text.size() <= ListModel::kShownCharacters)
        return text.toString();
    qsizetype cut = ListModel::kShownCharacters;
    if (text[cut - 1].isHighSurrogate())
        --cut;
    return text.left(cut).toString() + QChar(0x2026);
}

QString Shown(QLatin1StringView text)
{
    if (text.size() <= ListModel::kShownCharacters)
        return QString(text);
    return QString(text.left(ListModel::kShownCharacters)) + QChar(0x2026);
}

// Texts are encoded a block at a time, straight onto the end of the output: a row of millions
// of characters is read once and never copied whole on the way.
constexpr qsizetype kEncodeBlock = 1 << 14;

// Into a std::string (a save's line) or a QByteArray (the clipboard's text) alike.
template <class Out> void AppendUtf8(Out& out, QLatin1StringView text)
{
    using Size = decltype(out.size());
    for (qsizetype at = 0; at < text.size(); at += kEncodeBlock) {
        const QLatin1StringView block = text.sliced(at, std::min(kEncodeBlock, text.size() - at));
        // ASCII is its own UTF-8.
        if (IsAscii(block.data(), block.size())) {
            out.append(block.data(), static_cast<Size>(block.size()));
            continue;
        }
        // Latin-1 is the first 256 code points: the others take two bytes each.
        for (const char c : block) {
            const auto code = static_cast<unsigned char>(c);
            if (code < 0x80) {
                out += c;
            } else {
                out += static_cast<char>(0xC0 | (code >> 6));
                out += static_cast<char>(0x80 | (code & 0x3F));
            }
        }
    }
}

template <class Out> void AppendUtf8(Out& out, QStringView text)
{
    using Size = decltype(out.size());
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = PieceEnd(text, at, kEncodeBlock) - at;
        const Size start = out.size();
        out.resize(start + static_cast<Size>(utf8.requiredSpace(length)));
        char* const end = utf8.appendToBuffer(out.data() + start, text.sliced(at, length));
        out.resize(static_cast<Size>(end - out.data()));
        at += length;
    }
}
}  // namespace

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ListModel::addColumn(const QString& caption)
{
    const int column = columnCountTotal();
    beginInsertColumns({}, column, column);
    captions_ << caption;
    endInsertColumns();
    ++revision_;
    return column;
}

QString ListModel::columnCaption(int column) const
{
    if (column < 0 || column >= columnCountTotal())
        throw AppError(ErrorCode::SubscriptOutOfRange);
    return captions_[column];
}

QString ListModel::text(qsizetype row) const
{
    checkRow(row);
    return text_.at(row);
}

template <class Out>
qsizetype ListModel::appendUtf8Part(Out& out, qsizetype row, int k, qsizetype from,
                                    qsizetype units) const
{
    const auto part = [&](auto text) {
        qsizetype end = text.size() - from > units ? from + units : text.size();
        if constexpr (std::is_same_v<decltype(text), QStringView>)
            end = PieceEnd(text, from, units);
        AppendUtf8(out, text.sliced(from, end - from));
        return end;
    };
    if (k != 0)
        return part(QStringView(subItem(row, k)));
    checkRow(row);
    return text_.visit(row, part);
}

template qsizetype ListModel::appendUtf8Part(std::string&, qsizetype, int, qsizetype,
                                             qsizetype) const;
template qsizetype ListModel::appendUtf8Part(QByteArray&, qsizetype, int, qsizetype,
                                             qsizetype) const;

qsizetype ListModel::appendCellUtf8(std::string& out, qsizetype row, int k, qsizetype from,
                                    qsizetype units) const
{
    return appendUtf8Part(out, row, k, from, units);
}

qsizetype ListModel::cellLengthOtherwise(qsizetype row, int k) const
{
    if (k != 0)
        return CharacterCount(subItem(row, k));
    checkRow(row);
    return text_.visit(row, [](auto text) { return CharacterCount(text); });
}

void ListModel::appendCell(QString& out, qsizetype row, int k) const
{
    if (k != 0) {
        out.append(subItem(row, k));
        return;
    }
    checkRow(row);
    text_.appendTo(out, row);
}

const QString& ListModel::subItem(qsizetype row, int k) const
{
    checkRow(row);
    if (k < 1)
        throw AppError(ErrorCode::SubscriptOutOfRange);
    if (static_cast<size_t>(k) > sub_.size())
        return EmptyText();
    const std::vector<QString>& cells = sub_[static_cast<size_t>(k - 1)];
    return static_cast<size_t>(row) < cells.size() ? cells[static_cast<size_t>(row)] : EmptyText();
}

void ListModel::setSubItem(qsizetype row, int k, const QString& text)
{
    checkRow(row);
    if (k < 1)
        throw AppError(ErrorCode::SubscriptOutOfRange);
    if (static_cast<size_t>(k) > sub_.size())
        sub_.resize(static_cast<size_t>(k));
    std::vector<QString>& cells = sub_[static_cast<size_t>(k - 1)];
    if (cells.size() <= static_cast<size_t>(row))
        cells.resize(static_cast<size_t>(row) + 1);
    cells[static_cast<size_t>(row)] = text;
    ++revision_;
    if (row < announced_ && k < columnCountTotal()) {
        const QModelIndex cell = index(viewRow(row), k);
        Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole});
    }
}

void ListModel::reserve(qsizetype moreRows, qsizetype moreCharacters)
{
    reservedRows_ = count() + moreRows;
    text_.reserve(moreRows, moreCharacters);
}

qsizetype ListModel::append(QStringView text)
{
    const qsizetype row = appendDeferred(text);
    flushAppends();
    return row;
}

qsizetype ListModel::appendDeferred(QStringView text)
{
    requireRowNumbers(count(), 1);
    text_.append(text);
    ++revision_;
    return count() - 1;
}

void ListModel::flushAppends()
{
    if (announced_ == count())
        return;
    beginInsertRows({}, viewRow(announced_), viewRow(count() - 1));
    announced_ = count();
    endInsertRows();
}

void ListModel::removeAt(qsizetype row)
{
    checkRow(row);
    flushAppends();
    beginRemoveRows({}, viewRow(row), viewRow(row));
    text_.remove(row);
    for (std::vector<QString>& cells : sub_)
        if (static_cast<size_t>(row) < cells.size())
            cells.erase(cells.begin() + row);
    if (static_cast<size_t>(row) < marks_.size())
        marks_.erase(marks_.begin() + row);
    announced_ = count();
    ++revision_;
    ++removals_;
    endRemoveRows();
}

void ListModel::clear()
{
    flushAppends();
    ++revision_;
    if (count() == 0)
        return;
    beginRemoveRows({}, 0, viewRow(count() - 1));
    // Give the memory back: a cleared list of a million rows should not keep its storage.
    text_.clear();
    std::vector<std::vector<QString>>().swap(sub_);
    std::vector<quint8>().swap(marks_);
    announced_ = 0;
    ++removals_;
    endRemoveRows();
}

void ListModel::swapTexts(qsizetype a, qsizetype b)
{
    checkRow(a);
    checkRow(b);
    flushAppends();
    text_.swap(a, b);
    ++revision_;
    const QModelIndex first = index(viewRow(std::min(a, b)), 0);
    const QModelIndex last = index(viewRow(std::max(a, b)), 0);
    Q_EMIT dataChanged(first, last, {Qt::DisplayRole});
}

qsizetype ListModel::Rows::bytes() const
{
    qsizetype total = text.bytes() + static_cast<qsizetype>(marks.capacity());
    for (const std::vector<QString>& cells : sub) {
        total += static_cast<qsizetype>(cells.capacity() * sizeof(QString));
        for (const QString& cell : cells)
            total += cell.capacity() * qsizetype(sizeof(QChar));
    }
    return total;
}

ListModel::Rows ListModel::takeRows(qsizetype from, qsizetype to)
{
    if (from < 0 || to > count() || from > to)
        throw AppError(ErrorCode::SubscriptOutOfRange);
    flushAppends();
    Rows rows;
    if (from == to)
        return rows;
    beginRemoveRows({}, static_cast<int>(from), static_cast<int>(to - 1));
    if (from == 0 && to == count()) {
        rows.text = std::exchange(text_, TextColumn());
        rows.sub = std::exchange(sub_, {});
        rows.marks = std::exchange(marks_, {});
    } else {
        rows.text = text_.slice(from, to);
        text_.eraseRows(from, to);
        const auto cut = [from, to](auto& cells) {
            using Cells = std::decay_t<decltype(cells)>;
            const auto first = static_cast<size_t>(from);
            const size_t last = std::min(static_cast<size_t>(to), cells.size());
            if (first >= last)
                return Cells();
            Cells part(std::make_move_iterator(cells.begin() + from),
                       std::make_move_iterator(cells.begin() + static_cast<qsizetype>(last)));
            cells.erase(cells.begin() + from, cells.begin() + static_cast<qsizetype>(last));
            return part;
        };
        rows.sub.reserve(sub_.size());
        for (std::vector<QString>& cells : sub_)
            rows.sub.push_back(cut(cells));
        rows.marks = cut(marks_);
    }
    announced_ = count();
    ++revision_;
    ++removals_;
    endRemoveRows();
    return rows;
}

void ListModel::putRows(qsizetype at, Rows rows)
{
    if (at < 0 || at > count())
        throw AppError(ErrorCode::SubscriptOutOfRange);
    flushAppends();
    const qsizetype n = rows.count();
    if (n == 0)
        return;
    beginInsertRows({}, static_cast<int>(at), static_cast<int>(at + n - 1));
    if (count() == 0) {
        text_ = std::move(rows.text);
        sub_ = std::move(rows.sub);
        marks_ = std::move(rows.marks);
    } else {
        text_.insertRows(at, rows.text);
        // Cells the rows never had read empty; so do the list's cells past its last one set.
        const auto place = [at, n](auto& cells, auto part) {
            if (part.empty() && cells.size() <= static_cast<size_t>(at))
                return;
            if (cells.size() < static_cast<size_t>(at))
                cells.resize(static_cast<size_t>(at));
            part.resize(static_cast<size_t>(n));
            cells.insert(cells.begin() + at, std::make_move_iterator(part.begin()),
                         std::make_move_iterator(part.end()));
        };
        if (sub_.size() < rows.sub.size())
            sub_.resize(rows.sub.size());
        for (size_t k = 0; k < sub_.size(); ++k)
            place(sub_[k], k < rows.sub.size() ? std::move(rows.sub[k]) : std::vector<QString>());
        place(marks_, std::move(rows.marks));
    }
    announced_ = count();
    ++revision_;
    endInsertRows();
}

void ListModel::exchangeRows(Rows& rows)
{
    flushAppends();
    const qsizetype before = count();
    const qsizetype after = rows.count();
    // The views hear of one change at a time, each true when they hear it: the rows that leave
    // the end go first, while every row is as it was; then the rows that stay take their new
    // texts; then the rows that join at the end come.
    if (after < before) {
        beginRemoveRows({}, viewRow(after), viewRow(before - 1));
        announced_ = after;
        endRemoveRows();
    }
    std::swap(text_, rows.text);
    sub_.swap(rows.sub);
    marks_.swap(rows.marks);
    ++revision_;
    ++removals_;
    if (const qsizetype kept = std::min(before, after); kept > 0 && columnCountTotal() > 0)
        Q_EMIT dataChanged(index(0, 0), index(viewRow(kept - 1), columnCountTotal() - 1));
    flushAppends();
}

void ListModel::storeMark(qsizetype row, RowMark mark)
{
    checkRow(row);
    const auto at = static_cast<size_t>(row);
    // setMark took an unmarked row past the last marked one.
    if (at >= marks_.size()) {
        if (at >= marks_.capacity())
            marks_.reserve(std::max({at + 1, marks_.capacity() + marks_.capacity() / 2,
                                     static_cast<size_t>(reservedRows_)}));
        marks_.resize(at + 1);
    }
    marks_[at] = static_cast<quint8>(mark);
    ++revision_;
    if (row < announced_) {
        const QModelIndex first = index(static_cast<int>(row), 0);
        const QModelIndex last = index(static_cast<int>(row), columnCountTotal() - 1);
        Q_EMIT dataChanged(first, last, {Qt::ForegroundRole, Qt::ToolTipRole, MarkRole});
    }
}

RowMark ListModel::mark(qsizetype row) const
{
    checkRow(row);
    const auto at = static_cast<size_t>(row);
    return at < marks_.size() ? static_cast<RowMark>(marks_[at]) : RowMark::None;
}

int ListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : viewRow(announced_);
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnCountTotal();
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == MarkRole)
        return static_cast<int>(mark(index.row()));
    if (role == Qt::ToolTipRole) {
        const RowMark why = mark(index.row());
        return why == RowMark::None ? QVariant()
                                    : QVariant(RowMarkReason(why, cellLength(index.row(), 0)));
    }
    if (role != Qt::DisplayRole)
        return {};
    if (index.column() == 0)
        return text_.visit(index.row(), [](auto text) { return Shown(text); });
    const QString& cell = subItem(index.row(), index.column());
    return cell.size() <= kShownCharacters ? cell : Shown(cell);
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= columnCountTotal())
        return {};
    return captions_[section];
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
