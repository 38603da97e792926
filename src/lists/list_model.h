#pragma once

// Room lists: list storage, the one list model, the undo history, marks and covered rows; no
// widgets.

#include "core/app_error.h"
#include "core/row_mark.h"
#include "lists/text_checks.h"
#include "lists/text_column.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <string>
#include <vector>

// The one model behind the three lists: rows in insertion order, each a main text (column 0)
// and sub-items (column k is sub-item k, empty until set). Nothing sorts. The main texts are
// kept end to end in one buffer (TextColumn), so ten million rows cost tens of bytes each.
//
// Rows are counted from 0 here. Long loops append with appendDeferred() and announce a whole
// slice at once with flushAppends(); count() already includes the rows not yet announced,
// rowCount() (what views see) does not. Every other change announces pending rows first.
class ListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // The row's mark (a RowMark as an int) for the views that draw it.
    static constexpr int MarkRole = Qt::UserRole;

    explicit ListModel(QObject* parent = nullptr);

    // Columns.
    int addColumn(const QString& caption);
    int columnCountTotal() const { return static_cast<int>(captions_.size()); }
    QString columnCaption(int column) const;

    // Rows, as the handlers see them.
    qsizetype count() const { return text_.count(); }
    QString text(qsizetype row) const;
    const QString& subItem(qsizetype row, int k) const;
    void setSubItem(qsizetype row, int k, const QString& text);
    // Cell k of a row (its main text for k = 0, else sub-item k): its length in characters, and
    // the cell appended to a text, both without making a copy of it.
    qsizetype cellLength(qsizetype row, int k) const
    {
        // An eight-bit main text has as many characters as it has units.
        if (k == 0 && !text_.wide()) {
            checkRow(row);
            return text_.units(row);
        }
        return cellLengthOtherwise(row, k);
    }
    void appendCell(QString& out, qsizetype row, int k) const;
    // Onto a save's line (std::string) or the clipboard's text (QByteArray).
    template <class Out> void appendCellUtf8(Out& out, qsizetype row, int k) const
    {
        if (!appendShortAscii(out, row, k))
            appendUtf8Part(out, row, k, 0, std::numeric_limits<qsizetype>::max());
    }
    // The same for about `units` of the cell's units as stored (Latin-1 characters or UTF-16
    // units) from `from` on, a surrogate pair never cut; returns the unit where it stopped.
    qsizetype appendCellUtf8(std::string& out, qsizetype row, int k, qsizetype from,
                             qsizetype units) const;
    // The cell's length as stored (Latin-1 characters or UTF-16 units), known without reading
    // it: its UTF-8 takes no fewer bytes, and exactly as many when it is ASCII.
    qsizetype cellUnits(qsizetype row, int k) const
    {
        if (k != 0)
            return subItem(row, k).size();
        checkRow(row);
        return text_.units(row);
    }
    // The main texts, for loops that read millions of rows.
    const TextColumn& texts() const { return text_; }
    // Every row reports checked: no list shows check boxes.
    bool checked(qsizetype row) const
    {
        checkRow(row);
        return true;
    }

    // Qt's views number rows with int: a list stops there. An append past the last row number
    // fails with "Overflow" (a load reports it and keeps the rows read so far), so every row
    // number below converts to int exactly where Qt's interface begins.
    static constexpr qsizetype kMaxRows = std::numeric_limits<int>::max();
    // Throws "Overflow" unless a list of count rows can take that many more.
    static void requireRowNumbers(qsizetype count, qsizetype more)
    {
        if (more > kMaxRows - count)
            throw AppError(ErrorCode::Overflow);
    }

    // Appends and announces the row at once; returns its number.
    qsizetype append(QStringView text);
    // Appends without announcing; returns its number.
    qsizetype appendDeferred(QStringView text);
    qsizetype appendDeferred(QLatin1StringView text)
    {
        requireRowNumbers(count(), 1);
        text_.append(text);
        ++revision_;
        return count() - 1;
    }
    void flushAppends();
    // Makes room for that many more rows and characters at once.
    void reserve(qsizetype moreRows, qsizetype moreCharacters);
    // Makes room for a row of that many characters, in slices with between() after each.
    void prepareRoom(qsizetype characters, const std::function<void()>& between)
    {
        text_.prepareRoom(characters, between);
    }

    void removeAt(qsizetype row);
    void clear();
    // Exchanges the main texts of two rows.
    void swapTexts(qsizetype a, qsizetype b);

    // Rows taken out of a list, ready to go back in: main texts, sub-items and marks.
    struct Rows {
        TextColumn text;
        // sub[k - 1] holds sub-item k; marks; either may be shorter than text.
        std::vector<std::vector<QString>> sub;
        std::vector<quint8> marks;
        qsizetype count() const { return text.count(); }
        // The memory the rows hold, in bytes: the room their storage has, used or not.
        qsizetype bytes() const;
    };
    // Takes the rows [from, to) out of the list. Taking every row moves the storage itself,
    // so it costs no more than clear(), whatever the list's size.
    Rows takeRows(qsizetype from, qsizetype to);
    // Puts rows back before row `at` (at count(): after the last). Into an empty list the
    // storage moves in whole.
    void putRows(qsizetype at, Rows rows);
    // Exchanges every row of the list with these, at once. The views hear that the rows they
    // keep hold new data and of the rows that came or went at the end, never of each row again:
    // exchanging ten million rows costs them a repaint.
    void exchangeRows(Rows& rows);

    // A mark a row carries beside its text; rows never marked read RowMark::None.
    void setMark(qsizetype row, RowMark mark)
    {
        // Most rows carry no mark, and rows past the last marked one store none.
        if (mark == RowMark::None && row >= 0 && row < count()
            && static_cast<size_t>(row) >= marks_.size())
            return;
        storeMark(row, mark);
    }
    RowMark mark(qsizetype row) const;

    // Changes whenever the content changes, so readers may cache what they derive from it.
    quint64 revision() const { return revision_; }
    // Counts the changes that take rows out of the list, so a long operation can tell that rows
    // it counted have gone (see CoveredRows).
    quint64 removals() const { return removals_; }

    // What views are given of a cell (data()): a text longer than this shows its first
    // characters and an ellipsis. Everything else (text(), the writers, the copy) reads the
    // whole text.
    static constexpr qsizetype kShownCharacters = 2000;

    // QAbstractItemModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void checkRow(qsizetype row) const
    {
        if (row < 0 || row >= count())
            throw AppError(ErrorCode::SubscriptOutOfRange);
    }
    // The usual cell of a save or a copy, kept short for millions of rows: a short main text
    // in ASCII, which is its own UTF-8, appended as it is; false for any other.
    static constexpr qsizetype kShortCell = 64;
    template <class Out> bool appendShortAscii(Out& out, qsizetype row, int k) const
    {
        if (k != 0 || row < 0 || row >= count() || text_.wide())
            return false;
        const QLatin1StringView text = text_.narrow(row);
        if (text.size() > kShortCell || !IsAscii(text.data(), text.size()))
            return false;
        out.append(text.data(), static_cast<decltype(out.size())>(text.size()));
        return true;
    }
    qsizetype cellLengthOtherwise(qsizetype row, int k) const;
    void storeMark(qsizetype row, RowMark mark);
    // The UTF-8 of part of a cell, onto a save's line or the clipboard's text alike (made for
    // those two in the model's own source).
    template <class Out>
    qsizetype appendUtf8Part(Out& out, qsizetype row, int k, qsizetype from, qsizetype units) const;
    // The view's number of a row of the list (below kMaxRows, so it fits).
    static int viewRow(qsizetype row) { return static_cast<int>(row); }

    QStringList captions_;
    TextColumn text_;
    // sub_[k - 1] holds sub-item k; it may be shorter than text_ (missing cells are empty).
    std::vector<std::vector<QString>> sub_;
    // One byte a row, up to the last row ever marked; none at all until a row is marked.
    std::vector<quint8> marks_;
    // The rows the last reserve() made room for: the marks take that room at once when the
    // first row is marked, so they never grow past a byte a row.
    qsizetype reservedRows_ = 0;
    qsizetype announced_ = 0;
    quint64 revision_ = 0;
    quint64 removals_ = 0;
};
