#pragma once

#include <QString>

// The version record of an executable, as "major.minor.release.build".
//
// Every binary that links this unit carries the record in an ELF note section
// ".note.vantrel.version": owner name "Vantrel", note type 1, and as descriptor a fixed
// file-information block of thirteen 32-bit words in the file's byte order:
//   0 signature 0xFEEF04BD      1 structure version 0x00010000
//   2 file version MS           3 file version LS      (MS = major<<16 | minor,
//   4 product version MS        5 product version LS    LS = release<<16 | build)
//   6 flags mask  7 flags  8 OS  9 type  10 subtype  11 date MS  12 date LS
// Only the two file version words are used.
namespace vantrel::version {

namespace FileVersion {
constexpr char SectionName[] = ".note.vantrel.version";
constexpr char NoteOwner[] = "Vantrel";
constexpr unsigned NoteType = 1;
constexpr unsigned Signature = 0xFEEF04BDu;
constexpr int DescriptorWords = 13;
} // namespace FileVersion

// The file version of the executable at path; "0.0.0.0" for a file without a record, a missing
// or unreadable file, or one that is not a well-formed ELF file.
QString FileVersionText(const QString &path);
// The file version of the running program.
QString RunningVersionText();

} // namespace vantrel::version
