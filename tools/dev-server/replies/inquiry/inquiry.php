SCRIPT
// The start-up inquiry and the other inquiries: the server leaves a note in the data folder.
:mfile "[APD]devServer/inquiry.txt" "The development server answered an inquiry."
