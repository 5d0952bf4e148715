SCRIPT
// The error report arrived.
:s devServerSays "thank you for the report"
