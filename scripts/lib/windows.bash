# What the Windows checks share, sourced by scripts/test-windows-*: the deliverables built, and
# Wine in a fresh private prefix with one server for all runs. Run from the project's root.

# A failing command is named, with its line, in the log; then `explain_failure`, where a script
# defines it, shows what else it knows.
set -E
trap 'echo "${BASH_SOURCE[0]}, line $LINENO: \"$BASH_COMMAND\" failed with status $?"
  ! declare -F explain_failure > /dev/null || explain_failure' ERR

# Builds kalmira.exe, the zip, the installer and the wheel, with the native end-to-end harness
# that tries them, kalmira.dll, and the QGIS plugin's ZIP (with its kalmira.dll); sets `zip`,
# `setup`, `wheel`, `plugin` and `version` from the SHA256SUMS the builds write.
build_windows_deliverables() {
  scripts/install-build-tools windows
  mkdir -p build
  cmake --preset release > /dev/null
  cmake --build --preset release --target kalmira_end_to_end_tests kalmira_case_export kalmira_qgis_plugin > /dev/null
  cmake --workflow --preset windows-package > build/windows-package.log 2>&1 ||
    { cat build/windows-package.log; return 1; }
  (cd build/windows && sha256sum --check --quiet SHA256SUMS)
  zip=build/windows/$(awk '/-win64\.zip$/ { print $2 }' build/windows/SHA256SUMS)
  setup=build/windows/$(awk '/-setup\.exe$/ { print $2 }' build/windows/SHA256SUMS)
  wheel=build/windows/$(awk '/-win_amd64\.whl$/ { print $2 }' build/windows/SHA256SUMS)
  plugin=$(echo build/release/python-release/kalmira_qgis-*.zip)
  version=${zip#build/windows/kalmira-}
  version=${version%-win64.zip}
  echo "deliverables of version $version: $zip, $setup, their checksums in SHA256SUMS"
}

# Starts Wine in a fresh prefix build/wine-NAME and a scratch folder `scratch`; everything
# (the server, tmux, the temporary folder) is taken down when the script ends.
start_wine() {
  export WINEPREFIX=$PWD/build/wine-$1 WINEDEBUG=-all LANG=C.UTF-8
  # Wine's server keeps its socket in a new folder under TMPDIR and leaves the folder behind.
  export TMPDIR=$PWD/build/wine-$1-tmp
  # No crash dialogs, and no menu entries or icons for the host's desktop.
  export WINEDLLOVERRIDES="winedbg.exe=d;winemenubuilder.exe=d"
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
  scratch=$PWD/build/wine-$1-work
  export TMUX_TMPDIR=$scratch  # tmux's sockets, too, go with the scratch folder
  rm -rf "$WINEPREFIX" "$TMPDIR" "$scratch"
  mkdir -p "$WINEPREFIX" "$TMPDIR" "$scratch"
  "$wineserver" -p  # one server for all runs: a run then takes milliseconds
  trap '"$wineserver" -k || true; tmux -L "kalmira-$$" kill-server 2> /dev/null || true; rm -rf "$TMPDIR"' EXIT
  "$wine" wineboot -i > /dev/null 2>&1
}

# The end-to-end cases against the Windows executable given, under Wine; prints the summary.
end_to_end() {
  KALMIRA_TEST_PLATFORM=windows build/release/tests/kalmira_end_to_end_tests "$wine" "$1" | tail -n 1
}
