#pragma once
// The document: it owns the record tree and carries the preset file operations — what a
// loaded file does to the image, the records and the link, and what a save writes.

#include "document/PresetFile.h"
#include "link/KTVCommand.h"
#include "model/KTV_Data.h"

#include <memory>
#include <optional>
#include <string>

namespace ovix {

// The outcome of a file operation; `message` is what the console shows (modal) when set.
struct DocResult {
    bool ok = true;
    std::optional<MessageId> message;

    static DocResult Fail(MessageId m) { return {false, m}; }
};

class CQamrelDoc {
public:
    CQamrelDoc(ParameterModel& model, CKTVCommand& command);
    CQamrelDoc(const CQamrelDoc&) = delete;
    CQamrelDoc& operator=(const CQamrelDoc&) = delete;

    CKTV_Data& Records() { return *m_records; }

    // The records into the current program, then the program into a ".qxas" file (the
    // extension is added when the path lacks it). A name too long for its field is
    // reported and the save goes on with the old name.
    DocResult SaveSingleProgram(const std::string& path);
    // Reads the file whole; a bad file changes nothing. Then the current program, the
    // records, and (while connected) the processor's live program and delay memory.
    DocResult LoadSingleProgram(const std::string& path);
    // Starts reading programs 1..10 back from the processor; the file is written when
    // they have arrived (WriteAllProgramsFile). Needs a connected processor.
    DocResult SaveAllPrograms(const std::string& path);
    // Writes the pending ".qxaa" file; called when the last program has arrived.
    DocResult WriteAllProgramsFile();
    bool SavePending() const { return !m_pendingAllPath.empty(); }
    // Reads the file whole; a bad file changes nothing. Then every program, the current
    // program and the delay memory, the records, and (while connected) the processor.
    DocResult LoadAllPrograms(const std::string& path);

    // The delay memory frame queued by the last single-program load (for waiting on it).
    FramePtr LastDelayMemoryFrame() const { return m_lastDelayFrame; }

private:
    ParameterModel& m_model;
    CKTVCommand& m_command;
    std::unique_ptr<CKTV_Data> m_records;
    std::string m_pendingAllPath;
    FramePtr m_lastDelayFrame;
};

} // namespace ovix
