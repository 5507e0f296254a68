# Intune remediation script: enables or disables the listed startup entries. Every change is written
# to the journal first, so `kestrun-cli history` and `kestrun-cli undo` can reverse it on the machine.
# Exit 0: done. Exit 1: something could not be applied (the rest was); the output says what.
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
[IO.File]::WriteAllText($file, $desired)
$lines = & $cli apply $file --json
$code = $LASTEXITCODE
Remove-Item $file -ErrorAction SilentlyContinue
# The last line is the summary: {"changed": N, "failed": N, "dryRun": false, "changes": [...]}.
Write-Output ($lines | Select-Object -Last 1)
exit $code
