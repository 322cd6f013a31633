#pragma once

// Exit-code bits of loader_probe.exe.
enum {
    kProbeLoaded = 1,             // Load returned true
    kProbeEntryPointMissing = 2,  // m_bEntryPointMissing afterwards
    kProbeExportStubbed = 4,      // the ZEBQtExport slot answers its stub's 5
};
