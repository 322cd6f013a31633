#include "ui/AccessibleNames.h"

#include <initguid.h>
#include <oleacc.h>

CAccessibleNames::CAccessibleNames() {
    ::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                       reinterpret_cast<void**>(m_services.Put()));
}

CAccessibleNames::~CAccessibleNames() {
    Clear();
}

bool CAccessibleNames::SetName(HWND hControl, const std::wstring& name) {
    return SetProperty(hControl, PROPID_ACC_NAME, name);
}

bool CAccessibleNames::SetDescription(HWND hControl, const std::wstring& description) {
    return SetProperty(hControl, PROPID_ACC_DESCRIPTION, description);
}

bool CAccessibleNames::SetProperty(HWND hControl, const GUID& property, const std::wstring& text) {
    if (!m_services || hControl == nullptr) return false;
    if (FAILED(m_services.Get()->SetHwndPropStr(hControl, static_cast<DWORD>(OBJID_CLIENT),
                                                CHILDID_SELF, property, text.c_str())))
        return false;
    m_named.push_back(hControl);
    return true;
}

void CAccessibleNames::ClearDescription(HWND hControl) {
    if (!m_services || hControl == nullptr) return;
    MSAAPROPID props[] = {PROPID_ACC_DESCRIPTION};
    m_services.Get()->ClearHwndProps(hControl, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                     props, ARRAYSIZE(props));
}

void CAccessibleNames::Clear() {
    if (m_services) {
        MSAAPROPID props[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};
        for (const HWND hControl : m_named)
            m_services.Get()->ClearHwndProps(hControl, static_cast<DWORD>(OBJID_CLIENT),
                                             CHILDID_SELF, props, ARRAYSIZE(props));
    }
    m_named.clear();
}
