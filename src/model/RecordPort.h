#pragma once
// What the command engine needs of the parameter records. Until the records are bound the
// image itself answers (ImageRecordPort).

#include "model/DeviceImage.h"

#include <optional>

namespace ovix {

// A changed group, already written into the current program: which record (the music
// input, or output channel 0..5) and which 8-byte block of its image. The link turns it
// into the frame that carries it.
struct PendingGroup {
    enum Record { MusicInput, Output };
    Record record = Output;
    int channel = 0;  // the output channel; 0 for the music input
    int block = 0;
};

class IRecordPort {
public:
    virtual ~IRecordPort() = default;
    // Writes every record into the current program; false when a name did not fit its
    // field (that field keeps its old bytes).
    virtual bool StoreRecordsIntoProgram() = 0;
    // Writes one output channel's record into its OutputBlock.
    virtual void StoreOutputIntoProgram(int channel) = 0;
    virtual int SoundOn(int channel) const = 0;
    // Sets an output's on-flag without marking anything and writes its level group into
    // the image, so the block-31 frame that follows carries it.
    virtual void SetSoundOn(int channel, int on) = 0;
    virtual void ClearLevelDirty(int channel) = 0;
    // The next changed group in sending order, its mark cleared and its bytes written into
    // the current program; nothing when no group has changed. Called on the link worker
    // with the model lock held.
    virtual std::optional<PendingGroup> NextDirtyGroup() = 0;
    // Sets (flag 1) or drops (flag 0) every change mark of every record.
    virtual void MarkAll(int flag) = 0;
    // Rebuilds the records from the current program after the processor or a file
    // delivered it (program: the stored program it came from, or -1 for a file).
    virtual void LoadProgramIntoRecords(int program) = 0;
};

// Stand-in for the records: the on-flag is byte 248 of the live OutputBlock, and there
// is nothing to store or to mark.
class ImageRecordPort final : public IRecordPort {
public:
    explicit ImageRecordPort(DeviceImage& img) : m_img(img) {}
    bool StoreRecordsIntoProgram() override { return true; }
    void StoreOutputIntoProgram(int) override {}
    int SoundOn(int channel) const override { return m_img.current.outputs[channel].soundOn; }
    void SetSoundOn(int channel, int on) override
    {
        m_img.current.outputs[channel].soundOn = std::uint8_t(on);
    }
    void ClearLevelDirty(int) override {}
    std::optional<PendingGroup> NextDirtyGroup() override { return std::nullopt; }
    void MarkAll(int) override {}
    void LoadProgramIntoRecords(int) override {}

private:
    DeviceImage& m_img;
};

} // namespace ovix
