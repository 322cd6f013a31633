#include "standin/zebscanp/Signatures.h"

const std::string& CurableSignature() {
    static const std::string text = std::string("X5O!P%@AP[4\\PZX54(P^)7CC)7}$") + "EIC" +
                                    "AR-STANDARD-ANTIVIRUS-" + "TEST-FILE!" + "$H+H*";
    return text;
}

const std::string& IncurableSignature() {
    static const std::string text = std::string("ZEBSCANP-INCURABLE-") + "TEST-SIGNATURE!";
    return text;
}

Finding Examine(const std::string& bytes) {
    if (bytes.find(IncurableSignature()) != std::string::npos) return Finding::Incurable;
    if (bytes.find(CurableSignature()) != std::string::npos) return Finding::Curable;
    return Finding::Clean;
}

const wchar_t* VirusName(Finding finding) {
    switch (finding) {
        case Finding::Curable:
            return L"Test-File.Standard";
        case Finding::Incurable:
            return L"Test-File.Incurable";
        case Finding::Clean:
            break;
    }
    return L"";
}

int32_t ScanResult(Finding finding) {
    switch (finding) {
        case Finding::Curable:
            return 1;
        case Finding::Incurable:
            return 2;
        case Finding::Clean:
            break;
    }
    return 0;
}

bool RemoveCurableSignature(std::string& bytes) {
    // One pass in place, so that a large file is held once: each byte is
    // copied down to the write position, and an occurrence that ends there is
    // dropped at once. The bytes before it then meet the ones that follow,
    // which catches occurrences that only form once an inner one is gone.
    // The signature has no prefix that is also its suffix, so this removes
    // exactly what removing occurrences one at a time would.
    const std::string& signature = CurableSignature();
    const size_t length = signature.size();
    const char last = signature.back();
    size_t out = 0;
    bool removed = false;
    for (size_t in = 0; in < bytes.size(); ++in) {
        bytes[out++] = bytes[in];
        if (bytes[out - 1] == last && out >= length &&
            bytes.compare(out - length, length, signature) == 0) {
            out -= length;
            removed = true;
        }
    }
    bytes.resize(out);
    return removed;
}

int32_t CureBytes(std::string& bytes) {
    const Finding finding = Examine(bytes);
    if (finding != Finding::Curable) return finding == Finding::Clean ? kCureClean : kCureIncurable;
    RemoveCurableSignature(bytes);
    // Taking the test text out can join the incurable signature together.
    return Examine(bytes) == Finding::Clean ? kCureClean : kCureIncurable;
}
