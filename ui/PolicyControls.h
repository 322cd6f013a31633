#pragma once

#include <windows.h>

#include <vector>

#include "res/resource.h"
#include "settings/Policies.h"

// Which of the window's controls and commands each policy of the
// organisation's takes away, and the tip that tells the user why.
struct PolicyControl {
    UINT nID;  // a control of the window, or a command of the list's menu
    PolicyId policy;
    UINT nTip;  // the tip and the refusal's message, in the user's language
};

constexpr PolicyControl kPolicyControls[] = {
    {IDC_RESTORE, PolicyId::DisallowRestore, IDS_POLICY_NO_RESTORE},
    {IDC_CLEAN_AND_RESTORE, PolicyId::DisallowRestore, IDS_POLICY_NO_RESTORE},
    {IDC_RESTORE_TO_NEW_LOCATION, PolicyId::DisallowRestore, IDS_POLICY_NO_RESTORE},
    {IDC_COLLECTION, PolicyId::DisallowCollection, IDS_POLICY_NO_COLLECTION},
    {ID_LIST_DELETE, PolicyId::DisallowDelete, IDS_POLICY_NO_DELETE},
    // The path box stays readable and takes the focus; it only cannot change.
    {IDC_PATH, PolicyId::QuarantineFolder, IDS_POLICY_FOLDER_SET},
    {IDC_BROWSE, PolicyId::QuarantineFolder, IDS_POLICY_FOLDER_SET},
};

// Whether the policy in force takes the policy's controls away: a switch
// that forbids, or a folder that is set.
bool PolicyInForce(const QuarantinePolicy& policy, PolicyId id);

// The rows of the table whose policy is in force, in its order.
std::vector<PolicyControl> ControlsTakenAway(const QuarantinePolicy& policy);

// The row that takes the control or command away; null when none does.
const PolicyControl* TakenAway(const std::vector<PolicyControl>& takenAway, UINT nID);
