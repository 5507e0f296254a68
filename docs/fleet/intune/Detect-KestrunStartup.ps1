# Intune detection script: is this machine's set of startup entries as wanted?
# Exit 0: it is (nothing to do). Exit 1: it is not, or the tool could not tell (the remediation runs
# and says why). kestrun-cli check writes one line of at most 2,048 characters and nothing on stderr.
$ErrorActionPreference = 'Stop'
$cli = Join-Path $env:ProgramFiles 'Tamsel Soft\Kestrun\kestrun-cli.exe'
# The desired state, as `kestrun-cli export` writes it; keep it the same in both scripts.
$desired = @'
[
  {"name": "OneDrive", "location": "HKCU Run", "state": "disabled"},
  {"name": "SecurityHealth", "location": "HKLM Run", "state": "enabled"}
]
'@
$file = Join-Path $env:TEMP 'kestrun-desired-state.json'
[IO.File]::WriteAllText($file, $desired)  # UTF-8 without a byte-order mark
$summary = & $cli check $file
$code = $LASTEXITCODE
Remove-Item $file -ErrorAction SilentlyContinue
Write-Output $summary
if ($code -eq 0) { exit 0 }
exit 1
