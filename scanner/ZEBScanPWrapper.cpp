#include "scanner/ZEBScanPWrapper.h"

// Placeholder until the binding lands: behaves as if no library were installed.
bool CZEBScanPWrapper::Load(const std::wstring&, const std::wstring&) { return false; }
bool CZEBScanPWrapper::LoadFrom(const std::wstring&, const std::wstring&, const std::wstring&) { return false; }
void CZEBScanPWrapper::Unload() {}
int32_t CZEBScanPWrapper::Cure(uintptr_t) { return 1; }
bool CZEBScanPWrapper::IsLoaded() { return false; }
