#include "ui/PolicyControls.h"

bool PolicyInForce(const QuarantinePolicy& policy, PolicyId id) {
    return DefinitionOf(id).kind == PolicyKind::Switch ? policy.Forbids(id)
                                                       : !policy.Folder(id).empty();
}

std::vector<PolicyControl> ControlsTakenAway(const QuarantinePolicy& policy) {
    std::vector<PolicyControl> takenAway;
    for (const PolicyControl& control : kPolicyControls)
        if (PolicyInForce(policy, control.policy)) takenAway.push_back(control);
    return takenAway;
}

const PolicyControl* TakenAway(const std::vector<PolicyControl>& takenAway, UINT nID) {
    for (const PolicyControl& control : takenAway)
        if (control.nID == nID) return &control;
    return nullptr;
}
