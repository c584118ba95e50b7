#include "link/CommandBuilder.h"

#include <array>
#include <cstring>
#include <vector>

namespace ovix {

namespace {

constexpr int kBlockSize = 8;

bool ValidProgram(int p) { return p >= 0 && p <= kStoredPrograms + kEffectPresets; }

const std::uint8_t* ProgramBytes(const DeviceImage& img, int program)
{
    if (program < 0 || program > kStoredPrograms)
        return nullptr;
    return img.Program(program).Bytes();
}

} // namespace

int RecordSize(int type)
{
    switch (type) {
    case REC_MIC: return int(sizeof(InputBlock));
    case REC_EFFECT: return 96;
    case REC_MUSIC: return int(sizeof(InputBlock));
    case REC_OUTPUT: return int(sizeof(OutputBlock));
    default: return 0;
    }
}

int RecordOffset(int type, int index)
{
    switch (type) {
    case REC_MIC:
        return index == kMicIndex ? int(offsetof(ProgramImage, inputs)) : 0;
    case REC_EFFECT:
        return int(offsetof(ProgramImage, effect));
    case REC_MUSIC:
        // the music input is entry 1 of the inputs, addressed as index 2 on the wire
        return index == kMusicIndex ? 72 + index * int(sizeof(InputBlock)) : 0;
    case REC_OUTPUT:
        if (index < 0 || index >= kOutputChannels)
            return 0;
        return int(offsetof(ProgramImage, outputs)) + index * int(sizeof(OutputBlock));
    default:
        return 0;
    }
}

std::uint8_t BlockLinkFlag(const DeviceImage& img, int type, int index, int block)
{
    if (type != REC_OUTPUT)
        return 0;
    const bool linkedItem = (block >= 0 && block <= 30) || block == OutputBlock::kCrossoverItem ||
                            block == OutputBlock::kMixItem;
    return linkedItem && ChannelLinked(img, index) ? 1 : 0;
}

std::uint8_t ReadBlockByte(int program, bool recallIntoLive)
{
    return (recallIntoLive && program != 0) ? 0 : STORED_MARKER;
}

std::unique_ptr<CSendData> WriteBlock(const DeviceImage& img, int type, int index, int block)
{
    const int offset = RecordOffset(type, index);
    const int size = RecordSize(type);
    if (offset == 0 || block < 0 || (block + 1) * kBlockSize > size)
        return nullptr;
    FrameHeader h;
    h.command = CMD_WRITE;
    h.program = 0;
    h.recordType = std::uint8_t(type);
    h.index = std::uint8_t(index);
    h.block = std::uint8_t(block);
    h.link = BlockLinkFlag(img, type, index, block);
    return FinishFrame(h, {img.current.Bytes() + offset + block * kBlockSize, kBlockSize});
}

std::unique_ptr<CSendData> WriteRecord(const DeviceImage& img, int program, int type, int index,
                                       bool fromLive, bool fromProgram)
{
    const int offset = RecordOffset(type, index);
    const int size = RecordSize(type);
    if (offset == 0 || !ValidProgram(program))
        return nullptr;

    std::vector<std::uint8_t> payload(std::size_t(size), 0);
    if (fromLive) {
        std::memcpy(payload.data(), img.current.Bytes() + offset, std::size_t(size));
        // a live music record stored into a program slot is stored switched on
        if (type == REC_MUSIC && program != 0)
            payload[75] = 1;
    } else if (fromProgram || type != REC_EFFECT) {
        const std::uint8_t* prog = ProgramBytes(img, program);
        if (!prog)
            return nullptr;
        std::memcpy(payload.data(), prog + offset, std::size_t(size));
    } else {
        if (program < kFirstEffectPreset)
            return nullptr;
        std::memcpy(payload.data(), img.Preset(program).effect.Bytes(), std::size_t(size));
    }

    FrameHeader h;
    h.command = CMD_WRITE;
    h.program = std::uint8_t(program);
    h.recordType = std::uint8_t(type);
    h.index = std::uint8_t(index);
    h.block = 0;
    h.link = type == REC_OUTPUT && ChannelLinked(img, index) ? 1 : 0;
    return FinishFrame(h, payload);
}

std::unique_ptr<CSendData> ReadRecord(int program, int type, int index, bool recallIntoLive)
{
    if (RecordOffset(type, index) == 0 || !ValidProgram(program))
        return nullptr;
    FrameHeader h;
    h.command = CMD_READ;
    h.program = std::uint8_t(program);
    h.recordType = std::uint8_t(type);
    h.index = std::uint8_t(index);
    h.block = ReadBlockByte(program, recallIntoLive);
    const std::array<std::uint8_t, 8> zeros{};
    return FinishFrame(h, zeros);
}

std::unique_ptr<CSendData> WriteSystemItem(const DeviceImage& img, int item, int program)
{
    FrameHeader h;
    h.command = CMD_WRITE;
    h.program = std::uint8_t(program);
    h.recordType = REC_SYSTEM;
    h.index = std::uint8_t(item);
    switch (item) {
    case SYS_PROGRAM_NAME: {
        const std::uint8_t* prog = ProgramBytes(img, program);
        if (!prog)
            return nullptr;
        std::array<std::uint8_t, 16> name{};
        std::memcpy(name.data(), prog, 15);  // 15 name bytes, then 0
        return FinishFrame(h, name);
    }
    case SYS_DELAY_MEMORY:
        return FinishFrame(h, {img.delayMemory.Bytes(), sizeof(DelayMemory)});
    default:
        return nullptr;
    }
}

std::unique_ptr<CSendData> ReadSystemItem(int item, int program)
{
    if (item < 0 || item > 0xFF || !ValidProgram(program))
        return nullptr;
    FrameHeader h;
    h.command = CMD_READ;
    h.program = std::uint8_t(program);
    h.recordType = REC_SYSTEM;
    h.index = std::uint8_t(item);
    const std::array<std::uint8_t, 8> zeros{};
    return FinishFrame(h, zeros);
}

std::unique_ptr<CSendData> StatusPoll()
{
    return ReadSystemItem(SYS_STATUS, 0);
}

} // namespace ovix
