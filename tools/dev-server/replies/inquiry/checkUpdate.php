SCRIPT
// An update exists: the engine downloads the package, which installs itself.
:download "@SERVER@updates/VL_update.vli" VL_update.vli
