#!/usr/bin/python3
"""Checks every report the tests kept against the published JSON Schema of its kind.

usage: validate-reports.py [--require-all] SCHEMA_DIR REPORT_DIR

Each REPORT_DIR/KIND-*.json is validated against SCHEMA_DIR/KIND.schema.json. With
--require-all (after a whole test run) every kind must have been seen at least once, so
that a report no test reads cannot drift unseen. Uses Debian's python3-jsonschema.
"""
import json
import os
import re
import sys

import jsonschema

KINDS = ["scan", "set", "upgrade", "set-uid", "journal", "onvif"]


def main():
    args = sys.argv[1:]
    require_all = "--require-all" in args
    schema_dir, report_dir = [a for a in args if a != "--require-all"][:2]
    failures = 0
    for kind in KINDS:
        with open(os.path.join(schema_dir, kind + ".schema.json"), encoding="utf-8") as f:
            schema = json.load(f)
        jsonschema.Draft7Validator.check_schema(schema)
        validator = jsonschema.Draft7Validator(schema)
        pattern = re.compile(re.escape(kind) + r"-[0-9]+-[0-9]+\.json$")
        reports = sorted(os.path.join(report_dir, name) for name in os.listdir(report_dir)
                         if pattern.match(name))
        if not reports and require_all:
            print("no %s report was produced by the tests" % kind)
            failures += 1
        for path in reports:
            with open(path, encoding="utf-8") as f:
                document = json.load(f)
            for error in validator.iter_errors(document):
                print("%s: %s at %s" % (path, error.message, "/".join(map(str, error.absolute_path))))
                failures += 1
        print("%s: %d report(s) checked" % (kind, len(reports)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
