SCRIPT
// The diagnostics arrived.
:s devServerSays "diagnostics received"
