"""The check harness of the image checks: every failed check is listed,
and the summary ends with the closing line 'N passed, N failed'."""

passed = 0
failures = []


def check(condition, message):
    global passed
    if condition:
        passed += 1
    else:
        failures.append(message)


def summary(subject):
    """Prints the failures and the closing line; returns the exit status."""
    for message in failures:
        print(f"{subject}: {message}")
    print(f"{passed} passed, {len(failures)} failed")
    return 1 if failures or not passed else 0
