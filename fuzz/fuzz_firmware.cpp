// The firmware-file parser on arbitrary bytes, and the frames of every file it accepts:
// one boot request, one start, one finish with the checksum as the last frame, each step's
// payload length, DSP load addresses rising by 44, and the images carried exactly (the MCU
// data filled with 0xFF to whole frames). The total is Steps() + 1 (the boot request is not
// acknowledged). Each input is parsed as it is and once more as a long file: its first
// eight bytes at the start (the first tag, or the tag at 4), zeros up to 0x40004 and the
// rest of the input from there (the MCU tag and image), so the long-file shapes are reached
// without 256 KiB inputs.
#include "link/Firmware.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

using namespace ovix;

void Expect(bool ok)
{
    if (!ok)
        __builtin_trap();
}

std::size_t PayloadOf(int step)
{
    switch (step) {
    case FW_BOOT_REQUEST: return 0;
    case FW_START:
    case FW_DSP_ERASE: return 16;
    case FW_DSP_DATA: return 4 + kFirmwareDspChunk;
    case FW_MCU_HEADER: return kFirmwareMcuHeader;
    case FW_MCU_DATA: return kFirmwareMcuChunk;
    case FW_FINISH: return 1;
    default: return 0;
    }
}

void CheckFile(std::span<const std::uint8_t> file)
{
    const FirmwareLoad load = ParseFirmware(file);
    Expect(load.images.has_value() != load.error.has_value());
    if (!load.images)
        return;
    const FirmwareImages& fw = *load.images;
    Expect(fw.HasDsp() || fw.HasMcu());
    Expect(!fw.HasDsp() || fw.dsp.size() == kFirmwareDspSize);
    Expect(!fw.HasMcu() || fw.mcu.size() > kFirmwareMcuHeader);
    Expect(fw.fileLength == file.size());

    CFirmwareSequence seq(fw);
    const std::size_t steps = std::size_t(fw.Steps());
    std::vector<int> order;
    std::vector<std::uint8_t> dsp, mcuHeader, mcu;
    std::uint32_t nextAddress = 0;
    std::uint8_t finishByte = 0;
    // never more calls than frames: every call queues at least one
    for (std::size_t call = 0; !seq.Done(); ++call) {
        Expect(call <= steps);
        const std::vector<FramePtr> frames = seq.Next();
        Expect(!frames.empty());
        for (const FramePtr& f : frames) {
            Expect(f && f->Seq() > 0);
            const int step = f->Step();
            const std::span<const std::uint8_t> p = f->Payload();
            Expect(p.size() == PayloadOf(step));
            const std::span<const std::uint8_t> bytes = f->Bytes();
            Expect(bytes.size() == p.size() + std::size_t(kFrameOverhead));
            Expect((bytes[12] | bytes[13] << 8) == int(p.size()));
            Expect(f->CommandByte() == CMD_WRITE && f->RecordType() == REC_SYSTEM);
            Expect(f->Index() == std::uint8_t(step));
            order.push_back(step);
            switch (step) {
            case FW_BOOT_REQUEST:
            case FW_START:
            case FW_DSP_ERASE:
                break;
            case FW_DSP_DATA: {
                const std::uint32_t address = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                              std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
                Expect(address == nextAddress);
                nextAddress += kFirmwareDspChunk;
                dsp.insert(dsp.end(), p.begin() + 4, p.end());
                break;
            }
            case FW_MCU_HEADER: mcuHeader.assign(p.begin(), p.end()); break;
            case FW_MCU_DATA: mcu.insert(mcu.end(), p.begin(), p.end()); break;
            case FW_FINISH: finishByte = p[0]; break;
            default: Expect(false);
            }
        }
    }
    Expect(seq.Next().empty());
    Expect(order.size() == steps + 1);
    Expect(order.front() == FW_BOOT_REQUEST);
    Expect(order.back() == FW_FINISH);
    Expect(std::count(order.begin(), order.end(), FW_BOOT_REQUEST) == 1);
    Expect(std::count(order.begin(), order.end(), FW_START) == 1);
    Expect(std::count(order.begin(), order.end(), FW_FINISH) == 1);
    Expect(std::size_t(std::count(order.begin(), order.end(), FW_DSP_DATA)) == fw.DspFrames());
    Expect(std::size_t(std::count(order.begin(), order.end(), FW_MCU_DATA)) == fw.McuFrames());
    Expect(finishByte == fw.checksum);

    // the DSP image, the last frame padded with zeros
    Expect(dsp.size() == fw.DspFrames() * kFirmwareDspChunk);
    Expect(std::equal(fw.dsp.begin(), fw.dsp.end(), dsp.begin()));
    Expect(std::all_of(dsp.begin() + std::ptrdiff_t(fw.dsp.size()), dsp.end(), [](std::uint8_t b) { return b == 0; }));
    // the MCU header, then its data, the last frame filled with 0xFF
    if (fw.HasMcu()) {
        Expect(std::equal(mcuHeader.begin(), mcuHeader.end(), fw.mcu.begin()));
        const std::size_t data = fw.mcu.size() - kFirmwareMcuHeader;
        Expect(mcu.size() == fw.McuFrames() * kFirmwareMcuChunk && mcu.size() >= data && mcu.size() - data < kFirmwareMcuChunk);
        Expect(std::equal(fw.mcu.begin() + kFirmwareMcuHeader, fw.mcu.end(), mcu.begin()));
        Expect(std::all_of(mcu.begin() + std::ptrdiff_t(data), mcu.end(), [](std::uint8_t b) { return b == 0xFF; }));
    } else {
        Expect(mcuHeader.empty() && mcu.empty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> in(data, size);
    CheckFile(in);
    if (size >= kFirmwareLongFile)
        return 0;
    static std::vector<std::uint8_t> longFile;
    const std::size_t head = std::min<std::size_t>(size, 8);
    longFile.assign(kFirmwareLongFile, 0);
    std::copy(in.begin(), in.begin() + std::ptrdiff_t(head), longFile.begin());
    longFile.insert(longFile.end(), in.begin() + std::ptrdiff_t(head), in.end());
    CheckFile(longFile);
    return 0;
}
