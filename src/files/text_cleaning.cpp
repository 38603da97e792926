#include "files/text_cleaning.h"

#include "core/number_format.h"
#include "core/number_tidy.h"
#include "files/load_room.h"
#include "lists/memory_room.h"

#include <new>

bool TextCleaning::take(std::string_view& text, qsizetype& length)
{
    if (unique_) {
        if (format_ == nullptr || !format_->countryKey(text, key_))
            DuplicateKey(text, key_);
        const bool number = key_.front() == '#' || key_.front() == '+';
        if ((number || !numbersOnly_) && !seen_.insert(key_))
            return false;
        if (seen_.bytes() >= nextCheck_) {
            nextCheck_ = seen_.bytes() * 2;
            // The table doubles next: it must find room for that.
            if (!StillFits(nextCheck_, MemoryRoomNow()))
                throw std::bad_alloc();
        }
    }
    if (tidy_) {
        tidied_.clear();
        if (TidyNumber(text, tidied_)) {
            text = tidied_;
            length = static_cast<qsizetype>(tidied_.size());
        }
    }
    return true;
}
