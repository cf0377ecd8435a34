#!/usr/bin/env python3
"""Adds up the test results of one scripts/test run and prints the total.

usage: sum_results.py RESULTS_DIR FUZZ_TARGETS [FAILED_STEP ...]

Every *.xml in RESULTS_DIR is a GoogleTest or pytest JUnit report. Each fuzz
target counts as one test. A failed step whose failures no report shows (a
build that broke, a test program that crashed before writing its report)
counts as one failure, so the total never claims a clean run that was not.
"""
import glob
import os
import sys
import xml.etree.ElementTree as ET


def count_reports(results):
    passed = failed = skipped = 0
    for path in sorted(glob.glob(os.path.join(results, "*.xml"))):
        try:
            root = ET.parse(path).getroot()
        except ET.ParseError:
            failed += 1
            continue
        for case in root.iter("testcase"):
            if case.find("failure") is not None or case.find("error") is not None:
                failed += 1
            elif case.find("skipped") is not None or case.get("result") == "skipped":
                skipped += 1
            else:
                passed += 1
    return passed, failed, skipped


def main():
    results, fuzz_total, failed_steps = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    passed, failed, skipped = count_reports(results)

    fuzz_failed = sum(1 for s in failed_steps if s.startswith("fuzz "))
    passed += fuzz_total - fuzz_failed
    failed += fuzz_failed
    unexplained = [s for s in failed_steps if s.startswith(("configure", "build"))]
    failed += len(unexplained)
    if failed_steps and failed == 0:
        failed = len(failed_steps)
    if failed_steps:
        print("failed steps: " + ", ".join(failed_steps))

    line = f"{passed} passed, {failed} failed"
    if skipped:
        line += f", {skipped} skipped"
    print(line)
    return 1 if failed or failed_steps else 0


if __name__ == "__main__":
    sys.exit(main())
