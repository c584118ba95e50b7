#pragma once
// Firmware files and the frames that carry them to the processor's loader.
//
// A firmware file holds a DSP image, an MCU image, or both:
//   shorter than 0x40004 bytes: "WMCU" at 0, the MCU image from 4 to the end;
//   0x40004 bytes or longer:    "WDSP" at 0 and 65535 DSP bytes from 4 (the rest of the
//                               region up to 0x40004 is unused), then "WMCU" at 0x40004 and
//                               the MCU image from 0x40008 to the end. A long file whose
//                               first tag is not "WDSP" is tested for "WMCU" at 4 instead.
// The MCU image starts with a four-byte header that goes out in a step of its own; the
// image checksum is 0x12 XOR every MCU byte after the header.

#include "protocol/SendData.h"
#include "tables/Messages.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ovix {

inline constexpr std::size_t kFirmwareLongFile = 0x40004;
inline constexpr std::size_t kFirmwareDspOffset = 4;
inline constexpr std::size_t kFirmwareDspSize = 65535;
inline constexpr std::size_t kFirmwareMcuTagOffset = 0x40004;
inline constexpr std::size_t kFirmwareMcuHeader = 4;
inline constexpr std::uint8_t kFirmwareChecksumSeed = 0x12;
// Image bytes per data frame.
inline constexpr std::size_t kFirmwareDspChunk = 44;
inline constexpr std::size_t kFirmwareMcuChunk = 48;
// Larger files are no firmware of this processor; they are refused before being read.
inline constexpr std::size_t kFirmwareMaxFile = 16u << 20;

struct FirmwareImages {
    std::vector<std::uint8_t> dsp;  // empty when the file has no DSP section
    std::vector<std::uint8_t> mcu;  // header and data; empty when there is no MCU section
    // 0x12 XOR the MCU bytes after the header; the seed alone for a DSP-only file.
    std::uint8_t checksum = kFirmwareChecksumSeed;
    std::size_t fileLength = 0;

    bool HasDsp() const { return !dsp.empty(); }
    bool HasMcu() const { return !mcu.empty(); }
    std::size_t DspFrames() const;
    std::size_t McuFrames() const;
    // The steps the processor will acknowledge (every frame but the boot request): the
    // progress bar's maximum, so it is full exactly when the last step is answered.
    int Steps() const;
};

struct FirmwareLoad {
    std::optional<FirmwareImages> images;
    // Why there are none: the file cannot be read, or it has no section that can be sent.
    std::optional<MessageId> error;
    // The system's reason when the file could not be read.
    std::string reason;
};

// Splits the bytes of a firmware file into its images. A file without a usable section —
// no tag where one must be, or an MCU section too short to carry its header and one data
// byte — gives kMsgFwUpdateFileError.
FirmwareLoad ParseFirmware(std::span<const std::uint8_t> file);

// Reads and parses a firmware file. Anything that is not a readable regular file of at
// most kFirmwareMaxFile bytes gives kMsgFwBinFileError.
FirmwareLoad LoadFirmwareFile(const std::string& path);

// The update's frames in the order they go out: the boot request, then the DSP sequence
// (start, erase, data), then the MCU sequence (start unless the DSP sequence sent it,
// header, data), then one finish step with the checksum. Each call of Next hands the
// frames the worker queues when its queue has run empty.
class CFirmwareSequence {
public:
    explicit CFirmwareSequence(FirmwareImages images);

    std::vector<FramePtr> Next();
    bool Done() const;
    const FirmwareImages& Images() const { return m_images; }

private:
    FramePtr Step(int step, std::span<const std::uint8_t> payload);
    void NextDsp(std::vector<FramePtr>& out);
    void NextMcu(std::vector<FramePtr>& out);

    FirmwareImages m_images;
    bool m_bootRequest = true;
    std::size_t m_dspPos = 0;   // DSP bytes already framed
    std::size_t m_mcuPos = 0;   // MCU bytes already framed
    int m_dspPhase = 0;         // 0 start, 1 streaming, 4 done
    int m_mcuPhase = 0;         // 0 start, 1 header next, 2 streaming, 4 done
    std::uint32_t m_loadAddress = 0;
    bool m_finished = false;
    int m_seq = 0;
};

// One step frame: CMD_WRITE to REC_SYSTEM with the step as the index, m_nStep set.
FramePtr FirmwareStepFrame(int step, std::span<const std::uint8_t> payload);

} // namespace ovix
