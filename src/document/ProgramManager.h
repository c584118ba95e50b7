#pragma once
// The preset manager's work on the processor's stored programs, without a window: the
// names of programs 1..10 as the list shows them, the checks a name passes before it is
// stored, and storing, recalling and deleting a program.

#include "link/KTVCommand.h"
#include "model/DeviceImage.h"
#include "tables/Messages.h"

#include <optional>
#include <string>
#include <string_view>

namespace ovix {

// Programs the preset manager lists and acts on.
inline constexpr int kManagedPrograms = 10;
// Characters of a program name that count when names are compared (and that the Name
// field accepts).
inline constexpr int kProgramNameChars = 13;

// The name shown for a stored program: its field cut at the first zero byte within its
// first 15 bytes, blanks trimmed on both sides.
std::string ShownProgramName(const ProgramImage& prog);

enum class StoreOutcome {
    Stored,        // the name is in the image and the batch is queued
    NameEmpty,
    NameAllSpaces,
    NameTaken,     // another of programs 1..10 has the same first 13 characters
    NameTooLong,   // does not fit the 16-byte field
    NotConnected,  // nothing changed; the connection failure has been shown
};

// The message a refused name shows (nothing for Stored and NotConnected).
std::optional<MessageId> MessageOf(StoreOutcome outcome);

// Checks a name for program N (1..10) against the names in the image; Stored when it passes.
StoreOutcome CheckProgramName(const DeviceImage& img, int program, std::string_view text);

class CProgramManager {
public:
    CProgramManager(ParameterModel& model, CKTVCommand& command, ICommandHost& host);

    std::string ProgramName(int program) const;
    bool Synced() const { return m_model.flags.synced != 0; }

    // Stores the console's state as program N under `text`: the name into stored program N
    // and into the current program, then the records as program N with its marker. While
    // disconnected nothing changes (the processor would never get the name).
    StoreOutcome Store(int program, std::string_view text);
    // Reads program N back into the console (only while synced); false when nothing was sent.
    bool Recall(int program);
    // Gives program N an empty name, in the image and on the processor (only while synced).
    bool Delete(int program);

private:
    ParameterModel& m_model;
    CKTVCommand& m_command;
    ICommandHost& m_host;
};

} // namespace ovix
