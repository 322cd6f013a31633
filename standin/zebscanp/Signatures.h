#pragma once

#include <cstdint>
#include <string>

// What the stand-in scanner knows: two harmless test signatures, found
// anywhere in a file's bytes.

enum class Finding {
    Clean,
    Curable,    // holds the standard antivirus test text and nothing worse
    Incurable,  // holds our own incurable test signature
};

// Answers of the cure entry point.
enum : int32_t {
    kCureClean = 0,
    kCureIncurable = 1,
    kCureUnreadable = 2,  // missing, locked, a folder, or cannot be written back
    kCureBadRequest = 3,  // no path, or a mode other than "cure"
};

// The 68-byte standard test text, assembled from pieces so that this source
// itself is not taken for the test file.
const std::string& CurableSignature();
const std::string& IncurableSignature();

Finding Examine(const std::string& bytes);
// The virus name reported for a finding; empty for a clean file.
const wchar_t* VirusName(Finding finding);
// The scan entry points' answer for a finding.
int32_t ScanResult(Finding finding);

// Removes every occurrence of the curable signature, including ones that only
// appear once an inner one is gone; every other byte stays, in order. False
// when there was none.
bool RemoveCurableSignature(std::string& bytes);
// The cure of a file's bytes, in place: kCureClean with the bytes cleaned (or
// left alone when there was nothing to do); kCureIncurable when they hold the
// incurable signature, untouched, or when removing the test text joined it
// together, with the test text removed. A caller that gets kCureIncurable
// writes nothing back.
int32_t CureBytes(std::string& bytes);
