#include "files/result_writer.h"

#include <cstring>

namespace {

constexpr std::size_t kBlockBytes = std::size_t(1) << 18;

}  // namespace

ResultWriter::ResultWriter(Form form, OutputTarget& target, bool lineBuffered)
    : form_(form), target_(target), lineBuffered_(lineBuffered)
{
    buffer_.resize(kBlockBytes);
}

void ResultWriter::makeRoom(std::size_t needed)
{
    target_.write({buffer_.data(), used_});
    used_ = 0;
    if (buffer_.size() < needed)
        buffer_.resize(needed);
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
