#include "app/engine/current_text.h"

#include "app/engine/digit_pattern.h"
#include "app/engine/pass_through.h"
#include "app/lists/character_count.h"
#include "app/lists/list_model.h"

#include <cstring>
#include <new>

void CurrentText::read(const TextColumn& column, qsizetype row)
{
    lost_ = false;
    narrow_ = !column.wide();
    viewsList_ = narrow_;
    if (narrow_)
        narrowText_ = column.narrow(row);
    else
        column.read(row, wide_);
}

void CurrentText::holdOwnCopy() noexcept
{
    if (!viewsList_)
        return;
    viewsList_ = false;
    try {
        ownCopy_.truncate(0);
        if (!narrowText_.isEmpty())
            std::memcpy(ownCopy_.grow(narrowText_.size()), narrowText_.data(),
                        static_cast<size_t>(narrowText_.size()));
        narrowText_ = QLatin1StringView(ownCopy_.data(), narrowText_.size());
    } catch (const std::bad_alloc&) {
        narrowText_ = {};
        lost_ = true;
    }
}

qsizetype CurrentText::length() const
{
    return narrow_ ? narrowText_.size() : CharacterCount(wide_);
}

RowMark CurrentText::unchangedBy(const FormattingRules::Rule& rule) const
{
    return narrow_ ? UnchangedByRule(narrowText_, rule.hasPlaces)
                   : UnchangedByRule(QStringView(wide_), rule.hasPlaces);
}

void CurrentText::format(const FormattingRules::Rule& rule)
{
    requireKept();
    if (narrow_ && rule.narrowPattern) {
        ApplyDigitPatternTo(narrowResult_, narrowText_, QLatin1StringView(*rule.narrowPattern));
        narrowText_ = QLatin1StringView(narrowResult_);
        viewsList_ = false;
        return;
    }
    if (narrow_) {
        wide_ = QString(narrowText_);
        narrow_ = false;
        viewsList_ = false;
    }
    ApplyDigitPatternTo(wideResult_, wide_, rule.pattern);
    wide_.swap(wideResult_);
}

qsizetype CurrentText::appendTo(ListModel& list) const
{
    requireKept();
    return narrow_ ? list.appendDeferred(narrowText_) : list.appendDeferred(wide_);
}

void CurrentText::requireKept() const
{
    if (lost_)
        throw std::bad_alloc();
}
