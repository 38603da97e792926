#pragma once

#include "app/engine/formatting_rules.h"
#include "app/engine/pass_through.h"
#include "app/lists/character_count.h"
#include "app/lists/list_model.h"
#include "app/lists/raw_array.h"
#include "app/lists/row_mark.h"
#include "app/lists/text_column.h"

#include <QLatin1StringView>
#include <QString>

#include <new>

// The text of the phone item a formatting run is working on, then its result.
//
// An eight-bit row is read where the list keeps it, without a copy. Such a view is valid only
// while the list cannot change, and the list can change only when the window takes its events:
// at a yield, which the run makes only between items, and at a box shown for an item. So
// holdOwnCopy() must run before any box; it copies a viewed row into the text's own storage. A
// copy that fails for want of memory leaves the item lost: its next step reports it.
class CurrentText {
public:
    void read(const TextColumn& column, qsizetype row)
    {
        lost_ = false;
        narrow_ = !column.wide();
        viewsList_ = narrow_;
        if (narrow_)
            narrowText_ = column.narrow(row);
        else
            column.read(row, wide_);
    }
    // Makes the text independent of the list. Never throws.
    void holdOwnCopy() noexcept;

    // In characters: a character beyond the Basic Multilingual Plane is one.
    qsizetype length() const { return narrow_ ? narrowText_.size() : CharacterCount(wide_); }
    // Why the rule leaves the text unchanged, if it does.
    RowMark unchangedBy(const FormattingRules::Rule& rule) const
    {
        return narrow_ ? UnchangedByRule(narrowText_, rule.hasPlaces)
                       : UnchangedByRule(QStringView(wide_), rule.hasPlaces);
    }
    // Lays the text into the rule's pattern; throws std::bad_alloc when the item was lost.
    void format(const FormattingRules::Rule& rule);
    // Appends the text to the list without announcing it; returns its row. Throws
    // std::bad_alloc when the item was lost.
    qsizetype appendTo(ListModel& list) const
    {
        requireKept();
        return narrow_ ? list.appendDeferred(narrowText_) : list.appendDeferred(wide_);
    }

private:
    void requireKept() const
    {
        if (lost_)
            throw std::bad_alloc();
    }

    bool narrow_ = false;
    bool viewsList_ = false;
    bool lost_ = false;
    QLatin1StringView narrowText_;  // of the list, of ownCopy_ or of narrowResult_
    RawArray<char> ownCopy_;
    RawArray<char> narrowResult_;
    QString wide_;
    QString wideResult_;
};
