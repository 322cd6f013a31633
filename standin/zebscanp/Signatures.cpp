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
    const std::string& signature = CurableSignature();
    bool removed = false;
    size_t from = 0;
    for (size_t at; (at = bytes.find(signature, from)) != std::string::npos;) {
        bytes.erase(at, signature.size());
        removed = true;
        // Joining the two sides can complete an occurrence that starts
        // shortly before the cut.
        from = at >= signature.size() ? at - signature.size() + 1 : 0;
    }
    return removed;
}

int32_t CureBytes(std::string& bytes) {
    if (Examine(bytes) == Finding::Clean) return kCureClean;
    std::string cured = bytes;
    RemoveCurableSignature(cured);
    // Taking the test text out can join the incurable signature together.
    if (Examine(cured) != Finding::Clean) return kCureIncurable;
    bytes.swap(cured);
    return kCureClean;
}
