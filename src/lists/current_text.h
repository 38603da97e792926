#pragma once

#include "core/formatting_rules.h"
#include "core/pass_through.h"
#include "core/row_mark.h"
#include "lists/character_count.h"
#include "lists/list_model.h"
#include "lists/raw_array.h"
#include "lists/text_column.h"

#include <QLatin1StringView>
#include <QScopeGuard>
#include <QString>

#include <new>
#include <stdexcept>

// The text of the phone item a formatting run is working on, then its result.
//
// An eight-bit row is read where the list keeps it, without a copy. Such a view is valid only
// while the list cannot change, and the list can change only when the window takes its events:
// at a yield, which the run makes only between items, and at a box shown for an item. So
// holdOwnCopy() must run before any box; it copies a viewed row into the text's own storage. A
// copy that fails for want of memory leaves the item lost: its next step reports it.
// Appending the text ends the item: the text lets go of the list then, before the run can
// yield, and any use of it before the next read() throws std::logic_error.
class CurrentText {
public:
    void read(const TextColumn& column, qsizetype row)
    {
        lost_ = false;
        spent_ = false;
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
    qsizetype length() const
    {
        requireRead();
        return narrow_ ? narrowText_.size() : CharacterCount(wide_);
    }
    // Why the rule leaves the text unchanged, if it does.
    RowMark unchangedBy(const FormattingRules::Rule& rule) const
    {
        requireRead();
        return narrow_ ? UnchangedByRule(narrowText_, rule.hasPlaces)
                       : UnchangedByRule(QStringView(wide_), rule.hasPlaces);
    }
    // Lays the text into the rule's pattern; throws std::bad_alloc when the item was lost.
    void format(const FormattingRules::Rule& rule);
    // Lays the text out by a country rule when it fits; otherwise leaves it as it is. Throws
    // std::bad_alloc when the item was lost.
    CountryOutcome::Kind formatByCountry(const CountryRule& rule);
    // Appends the text to the list without announcing it; returns its row. Throws
    // std::bad_alloc when the item was lost. The text is spent after, appended or not.
    qsizetype appendTo(ListModel& list)
    {
        // The run yields after an append, and the list appended to may share the viewed
        // storage: the view ends here, whatever the append does.
        const auto spend = qScopeGuard([this] {
            spent_ = true;
            viewsList_ = false;
            narrowText_ = {};
        });
        requireKept();
        return narrow_ ? list.appendDeferred(narrowText_) : list.appendDeferred(wide_);
    }

private:
    void requireRead() const
    {
        if (spent_)
            throw std::logic_error("the phone text was used after it was appended");
    }
    void requireKept() const
    {
        requireRead();
        if (lost_)
            throw std::bad_alloc();
    }

    bool narrow_ = false;
    bool viewsList_ = false;
    bool lost_ = false;
    bool spent_ = false;            // appended: nothing to use until the next read()
    QLatin1StringView narrowText_;  // of the list, of ownCopy_ or of narrowResult_
    RawArray<char> ownCopy_;
    RawArray<char> narrowResult_;
    QString wide_;
    QString wideResult_;
};
