#!/bin/sh
# The settings dialog's autorun test once more, with Wine's Task Scheduler traced
# (WINEDEBUG=+taskschd): the test must pass, and Wine must have read the log-on task's
# trigger, its program and its run level from the definition the program registered.
# Arguments: scripts/wine-run and the window tests' program.
out=$(WINEDEBUG=+taskschd "$1" "$2" \
  --gtest_filter=SettingsDialog.AutorunIsALogonTaskThatTakesOverTheRunValue 2>&1)
status=$?
missing=0
for read in 'Element: L"LogonTrigger"' 'Element: L"Exec"' 'Element: L"Command"' \
  'L"HighestAvailable"' '[  PASSED  ] 1 test'; do
  if ! printf '%s\n' "$out" | grep -qF "$read"; then
    echo "logon_task_trace: not in the output: $read" >&2
    missing=1
  fi
done
if [ "$status" -ne 0 ] || [ "$missing" -ne 0 ]; then
  printf '%s\n' "$out" | grep -v ':trace:taskschd:.*\(AddRef\|Release\|QueryInterface\)' | tail -80
  exit 1
fi
echo "logon_task_trace: Wine read the trigger, the program and the run level"
