"""The administrative templates parse, every policy has its texts in English
and German, and the registry key and value names in the ADMX are exactly
those the program reads, each with the scope the program gives it.

Usage: check_policy_templates.py <policy folder> <settings/Policies.h>
"""
import re
import sys
import xml.etree.ElementTree as ET

NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
LANGUAGES = ("en-US", "de-DE")


def program_table(header):
    """The key and {value name: scope} of the program's X-macro table."""
    text = open(header, encoding="utf-8").read()
    key = re.search(r'#define QUARANTINE_POLICY_KEY L"(.*)"', text).group(1).replace("\\\\", "\\")
    rows = re.findall(r'X\(\w+, L"(\w+)", PolicyKind::(\w+), PolicyScope::(\w+)\)', text)
    return key, {name: (kind, scope) for name, kind, scope in rows}


def references(text, kind):
    match = re.fullmatch(r"\$\(" + kind + r"\.(\w+)\)", text or "")
    return match.group(1) if match else None


def main(folder, header):
    failures = []
    key, table = program_table(header)
    if not table:
        failures.append("no policy rows found in " + header)
    admx = ET.parse(folder + "/Quarantine.admx").getroot()
    resources = {lang: ET.parse("%s/%s/Quarantine.adml" % (folder, lang)).getroot() for lang in LANGUAGES}

    strings_needed, presentations_needed = set(), set()
    for element in admx.iter():
        for attribute in ("displayName", "explainText"):
            ref = references(element.get(attribute), "string")
            if ref:
                strings_needed.add(ref)
        ref = references(element.get("presentation"), "presentation")
        if ref:
            presentations_needed.add(ref)

    in_admx = {}
    for policy in admx.findall("p:policies/p:policy", NS):
        name = policy.get("name")
        if policy.get("key") != key:
            failures.append("%s: key %s, the program reads %s" % (name, policy.get("key"), key))
        values = [policy.get("valueName")] if policy.get("valueName") else []
        values += [e.get("valueName") for e in policy.findall("p:elements/*", NS)]
        for value in values:
            scope = {"Machine": "Machine", "Both": "Both"}.get(policy.get("class"), policy.get("class"))
            in_admx[value] = scope
            if value not in table:
                failures.append("%s: the program reads no value %s" % (name, value))
            elif table[value][1] != scope:
                failures.append("%s: class %s, the program's scope %s" % (name, scope, table[value][1]))
        if policy.get("valueName") and table.get(policy.get("valueName"), ("",))[0] != "Switch":
            failures.append("%s: an on/off policy for a value that is no switch" % name)
    for value in table:
        if value not in in_admx:
            failures.append("the program reads %s, which no policy sets" % value)

    for lang, root in resources.items():
        ids = {s.get("id") for s in root.findall("p:resources/p:stringTable/p:string", NS)
               if (s.text or "").strip()}
        for missing in sorted(strings_needed - ids):
            failures.append("%s: no string %s" % (lang, missing))
        presentations = {p.get("id"): p for p in root.findall("p:resources/p:presentationTable/p:presentation", NS)}
        for ref in sorted(presentations_needed):
            if ref not in presentations:
                failures.append("%s: no presentation %s" % (lang, ref))
                continue
            for box in presentations[ref]:
                if not (box.findtext("p:label", default="", namespaces=NS)).strip():
                    failures.append("%s: presentation %s: a box without a label" % (lang, ref))
        # Every element a policy shows has its box, and every box an element.
        for policy in admx.findall("p:policies/p:policy", NS):
            ref = references(policy.get("presentation"), "presentation")
            elements = {e.get("id") for e in policy.findall("p:elements/*", NS)}
            boxes = {b.get("refId") for b in presentations.get(ref, [])} if ref else set()
            if elements != boxes:
                failures.append("%s: %s shows %s for elements %s" % (lang, policy.get("name"), sorted(boxes), sorted(elements)))

    for failure in failures:
        print("FAIL:", failure)
    print("%d policies, %d strings in %s: %s" % (len(in_admx), len(strings_needed), ", ".join(LANGUAGES),
                                                "failed" if failures else "ok"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
