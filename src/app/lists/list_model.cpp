#include "app/lists/list_model.h"

#include "app/errors/app_error.h"
#include "app/lists/character_count.h"

#include <algorithm>
#include <type_traits>

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

void ListModel::checkRow(qsizetype row) const
{
    if (row < 0 || row >= count())
        throw AppError(ErrorCode::SubscriptOutOfRange);
}

QString ListModel::text(qsizetype row) const
{
    checkRow(row);
    return text_.at(row);
}

void ListModel::appendCellUtf8(std::string& out, qsizetype row, int k) const
{
    const auto appendEncoded = [&out](const QString& text) { out += text.toStdString(); };
    if (k != 0) {
        appendEncoded(subItem(row, k));
        return;
    }
    checkRow(row);
    text_.visit(row, [&](auto text) {
        // ASCII is its own UTF-8; anything else is encoded.
        if constexpr (std::is_same_v<decltype(text), QLatin1StringView>) {
            if (std::all_of(text.begin(), text.end(),
                            [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
                out.append(text.data(), static_cast<size_t>(text.size()));
            else
                appendEncoded(QString(text));
        } else {
            appendEncoded(text.toString());
        }
    });
}

qsizetype ListModel::cellLength(qsizetype row, int k) const
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

bool ListModel::checked(qsizetype row) const
{
    checkRow(row);
    return true;
}

void ListModel::reserve(qsizetype moreRows, qsizetype moreCharacters)
{
    text_.reserve(moreRows, moreCharacters);
}

qsizetype ListModel::append(QStringView text)
{
    const qsizetype row = appendDeferred(text);
    flushAppends();
    return row;
}

void ListModel::requireRowNumbers(qsizetype count, qsizetype more)
{
    if (more > kMaxRows - count)
        throw AppError(ErrorCode::Overflow);
}

qsizetype ListModel::appendDeferred(QStringView text)
{
    requireRowNumbers(count(), 1);
    text_.append(text);
    ++revision_;
    return count() - 1;
}

qsizetype ListModel::appendDeferred(QLatin1StringView text)
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
