#pragma once

#include "app/engine/formatting_rules.h"
#include "app/lists/raw_array.h"
#include "app/lists/row_mark.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>

class ListModel;
class TextColumn;

// The text of the phone item a formatting run is working on, then its result.
//
// An eight-bit row is read where the list keeps it, without a copy. Such a view is valid only
// while the list cannot change, and the list can change only when the window takes its events:
// at a yield, which the run makes only between items, and at a box shown for an item. So
// holdOwnCopy() must run before any box; it copies a viewed row into the text's own storage. A
// copy that fails for want of memory leaves the item lost: its next step reports it.
class CurrentText {
public:
    void read(const TextColumn& column, qsizetype row);
    // Makes the text independent of the list. Never throws.
    void holdOwnCopy() noexcept;

    // In characters: a character beyond the Basic Multilingual Plane is one.
    qsizetype length() const;
    // Why the rule leaves the text unchanged, if it does.
    RowMark unchangedBy(const FormattingRules::Rule& rule) const;
    // Lays the text into the rule's pattern; throws std::bad_alloc when the item was lost.
    void format(const FormattingRules::Rule& rule);
    // Appends the text to the list without announcing it; returns its row. Throws
    // std::bad_alloc when the item was lost.
    qsizetype appendTo(ListModel& list) const;

private:
    void requireKept() const;

    bool narrow_ = false;
    bool viewsList_ = false;
    bool lost_ = false;
    QLatin1StringView narrowText_;  // of the list, of ownCopy_ or of narrowResult_
    RawArray<char> ownCopy_;
    QByteArray narrowResult_;
    QString wide_;
    QString wideResult_;
};
