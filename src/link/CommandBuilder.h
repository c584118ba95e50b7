#pragma once
// Builders of every command the console sends. Each is a pure function of the image: it
// fills the header and the payload and finishes the frame. A record type, index, block or
// item the processor does not know gives no frame (nullptr).

#include "protocol/SendData.h"
#include "model/DeviceImage.h"

#include <memory>

namespace ovix {

// Size of a record on the wire (the effect record is the first 96 bytes of its block) and
// its place in a ProgramImage; 0 for a type or index that does not exist.
int RecordSize(int type);
int RecordOffset(int type, int index);

// The link flag of a block write: output bands, the crossover and the mix items of a
// linked channel carry 1; the level item, the items above 33 and other records carry 0.
std::uint8_t BlockLinkFlag(const DeviceImage& img, int type, int index, int block);

// The block byte of a read: a read of stored program p into the live image (a recall)
// has 0; every other read carries STORED_MARKER.
std::uint8_t ReadBlockByte(int program, bool recallIntoLive);

// Eight bytes of the live record at block * 8.
std::unique_ptr<CSendData> WriteBlock(const DeviceImage& img, int type, int index, int block);

// A whole record from the live image (fromLive), from stored program p (fromProgram), or
// for the effect record with neither flag from effect preset p. A live music record sent
// to a stored program goes out with its on byte (75) set to 1 in the frame.
std::unique_ptr<CSendData> WriteRecord(const DeviceImage& img, int program, int type, int index,
                                       bool fromLive, bool fromProgram);

std::unique_ptr<CSendData> ReadRecord(int program, int type, int index, bool recallIntoLive);

// Only the program name (p = 0: the live name, else stored program p's) and the delay
// memory are ever written.
std::unique_ptr<CSendData> WriteSystemItem(const DeviceImage& img, int item, int program);

std::unique_ptr<CSendData> ReadSystemItem(int item, int program);

// Asks for the processor's status; the eight payload bytes are zero.
std::unique_ptr<CSendData> StatusPoll();

} // namespace ovix
