#include "batch/result_writer.h"

#include <cstring>

namespace {

constexpr std::size_t kBlockBytes = std::size_t(1) << 18;

}  // namespace

ResultWriter::ResultWriter(Form form, OutputTarget& target, bool lineBuffered)
    : form_(form), target_(target), lineBuffered_(lineBuffered)
{
    buffer_.resize(kBlockBytes);
}

char* ResultWriter::beginResult(std::size_t size)
{
    // Room for the line end before it (comma-delimited: whether a line takes its comma is known
    // once the next result comes) or after it (lines).
    const std::size_t needed = size + 3;
    if (buffer_.size() - used_ < needed) {
        target_.write({buffer_.data(), used_});
        used_ = 0;
        if (buffer_.size() < needed)
            buffer_.resize(needed);
    }
    char* at = buffer_.data() + used_;
    if (form_ == Form::CommaDelimited && any_) {
        *at++ = ',';
        *at++ = '\r';
        *at++ = '\n';
    }
    return at;
}

void ResultWriter::endResult(const char* end)
{
    char* at = buffer_.data() + (end - buffer_.data());
    if (form_ == Form::Lines)
        *at++ = '\n';
    used_ = static_cast<std::size_t>(at - buffer_.data());
    any_ = true;
    if (lineBuffered_)
        flush();
}

void ResultWriter::flush()
{
    if (used_ > 0)
        target_.write({buffer_.data(), used_});
    used_ = 0;
}

void ResultWriter::add(std::string_view result)
{
    char* at = beginResult(result.size());
    // An empty result's view may hold no address at all, which memcpy must not be given.
    if (!result.empty())
        std::memcpy(at, result.data(), result.size());
    endResult(at + result.size());
}

void ResultWriter::finish()
{
    if (form_ == Form::CommaDelimited && any_) {
        if (buffer_.size() - used_ < 2) {
            target_.write({buffer_.data(), used_});
            used_ = 0;
        }
        buffer_[used_++] = '\r';
        buffer_[used_++] = '\n';
    }
    flush();
    target_.finish();
}
