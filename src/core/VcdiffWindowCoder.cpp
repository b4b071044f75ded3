#include "VcdiffWindowCoder.h"

using namespace Vcdiff;

void VcdiffWindowCoder::begin(std::int64_t sourceLength) {
    sourceLength_ = sourceLength;
    made_ = 0;
    settled_ = open_ = {};
    cache_ = {};
    data_.clear();
    instructions_.clear();
    addresses_.clear();
}

void VcdiffWindowCoder::add(const Byte* bytes, std::int64_t n) {
    if (n <= 0) return;
    data_.insert(data_.end(), bytes, bytes + n);
    if (open_.type == Type::Add)
        open_.size += n;
    else
        push({Type::Add, n, 0, 0});
    made_ += n;
}

void VcdiffWindowCoder::run(Byte byte, std::int64_t n) {
    if (n <= 0) return;
    data_.push_back(byte);
    push({Type::Run, n, 0, 0});
    made_ += n;
}

void VcdiffWindowCoder::copy(std::int64_t address, std::int64_t n) {
    if (n <= 0) return;
    const bool fromSource = address < sourceLength_;
    if (open_.type == Type::Copy && open_.address + open_.size == address &&
        (open_.address < sourceLength_) == fromSource)
        open_.size += n;
    else
        push({Type::Copy, n, address, sourceLength_ + made_});
    made_ += n;
}

void VcdiffWindowCoder::push(const Instruction& next) {
    if (open_.type != Type::None) settle(open_);
    open_ = next;
}

// An instruction that can grow no more: paired with the one settled before it where the
// table has a code for both, written alone otherwise.
void VcdiffWindowCoder::settle(const Instruction& instruction) {
    if (settled_.type == Type::None) {
        settled_ = instruction;
        return;
    }
    int code = -1;
    if (settled_.type == Type::Add && instruction.type == Type::Copy) {
        const AddressCache::Choice choice = cache_.choose(std::uint64_t(instruction.address), std::uint64_t(instruction.here));
        code = addCopyCode(settled_.size, instruction.size, choice.mode);
    } else if (settled_.type == Type::Copy && instruction.type == Type::Add) {
        const AddressCache::Choice choice = cache_.choose(std::uint64_t(settled_.address), std::uint64_t(settled_.here));
        code = copyAddCode(settled_.size, choice.mode, instruction.size);
    }
    if (code >= 0) {
        instructions_.push_back(Byte(code));
        modeOf(settled_.type == Type::Copy ? settled_ : instruction);
        settled_ = {};
        return;
    }
    writeAlone(settled_);
    settled_ = instruction;
}

void VcdiffWindowCoder::writeAlone(const Instruction& first) {
    switch (first.type) {
    case Type::Add: {
        const int code = addCode(first.size);
        instructions_.push_back(Byte(code));
        if (defaultCodeTable()[std::size_t(code)].first.size == 0) putSize(first.size);
        break;
    }
    case Type::Run:
        instructions_.push_back(Byte(kRunCode));
        putSize(first.size);
        break;
    case Type::Copy: {
        const int mode = modeOf(first);
        const int code = copyCode(first.size, mode);
        instructions_.push_back(Byte(code));
        if (defaultCodeTable()[std::size_t(code)].first.size == 0) putSize(first.size);
        break;
    }
    case Type::None:
        break;
    }
}

void VcdiffWindowCoder::putSize(std::int64_t size) {
    Byte bytes[kLongestInteger];
    instructions_.insert(instructions_.end(), bytes, putInteger(bytes, std::uint64_t(size)));
}

int VcdiffWindowCoder::modeOf(const Instruction& copy) {
    const AddressCache::Choice choice = cache_.choose(std::uint64_t(copy.address), std::uint64_t(copy.here));
    if (choice.mode >= kFirstSameMode) {
        addresses_.push_back(Byte(choice.value));
    } else {
        Byte bytes[kLongestInteger];
        addresses_.insert(addresses_.end(), bytes, putInteger(bytes, choice.value));
    }
    cache_.update(std::uint64_t(copy.address));
    return choice.mode;
}

bool VcdiffWindowCoder::finish(std::int64_t sourcePosition, std::uint32_t checksum, const Sink& sink) {
    if (open_.type != Type::None) settle(open_);
    if (settled_.type != Type::None) writeAlone(settled_);
    open_ = settled_ = {};

    Byte delta[4 * kLongestInteger + 1 + 4];
    Byte* d = putInteger(delta, std::uint64_t(made_));
    *d++ = 0;  // no section is compressed
    d = putInteger(d, data_.size());
    d = putInteger(d, instructions_.size());
    d = putInteger(d, addresses_.size());
    for (int shift = 24; shift >= 0; shift -= 8) *d++ = Byte(checksum >> shift);
    const std::uint64_t deltaLength = std::uint64_t(d - delta) + data_.size() + instructions_.size() + addresses_.size();

    Byte window[3 * kLongestInteger + 1];
    Byte* w = window;
    *w++ = Byte((sourceLength_ > 0 ? kSourceWindow : 0) | kChecksum);
    if (sourceLength_ > 0) {
        w = putInteger(w, std::uint64_t(sourceLength_));
        w = putInteger(w, std::uint64_t(sourcePosition));
    }
    w = putInteger(w, deltaLength);
    return sink(window, w - window) && sink(delta, d - delta) &&
           sink(data_.data(), std::int64_t(data_.size())) &&
           sink(instructions_.data(), std::int64_t(instructions_.size())) &&
           sink(addresses_.data(), std::int64_t(addresses_.size()));
}
