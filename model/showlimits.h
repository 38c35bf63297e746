#ifndef SHOWLIMITS_H
#define SHOWLIMITS_H

// The largest counts a file, a paste or the command line may bring into the table. Each is
// checked, with a refusal that names it, before the memory for it is taken.
namespace showLimits
{
// Rows of one table. A step's number (cell 0) and the player's record count are unsigned
// 16-bit, and the table's row arguments keep 65535 for "no row": rows 0..65534 fit all three.
constexpr int kMaxRows = 65535;
// Channels of a row: one universe.
constexpr int kMaxChannels = 512;
// Older versions wrote up to two channel slots past the universe into a file; those are read
// and dropped, anything wider is refused.
constexpr int kMaxStoredChannels = kMaxChannels + 2;
// Records in one C export: the player's `unsigned short` size.
constexpr int kMaxRecords = 65535;
// Values of a record in the C export and fields of a pasted step: speed, fade and the levels.
constexpr int kMaxValues = 2 + kMaxChannels;
// Characters of a line of the C import or of pasted steps, and of one field in either. A
// full record of 512 channels takes about 3100 characters.
constexpr int kMaxLineLength = 8192;
constexpr int kMaxFieldLength = 16;
// What the player's `unsigned short` cells hold; the import refuses values above it.
constexpr int kMaxCellValue = 65535;
// The window's tops, which a paste clamps to as a typed cell does.
constexpr int kMaxSpeed = 9999;
constexpr int kMaxFade = 255;
constexpr int kMaxLevel = 255;
} // namespace showLimits

#endif
