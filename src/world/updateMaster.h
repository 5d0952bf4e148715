// The update master: asks the server whether an update exists, downloads files through
// the connection object (with the progress pane when asked) and, when a download is an
// update package, installs it.
#pragma once

#include "host/httpConnection.h"
#include "support/mystring.h"

class CupdateMaster : public ChttpDownloadClient {
  public:
    // The blocking update inquiry; its reply script decides whether to download a package.
    // The request's result (0: the reply script ran).
    int checkForUpdate();
    // Downloads url into destination ("VL_update.vli" alone lands in the data folder's
    // "Resources"); the transfer runs on over the frames and ends in finishedDownloading.
    void startFileDownload(char const* url, char const* destination, bool showProgress);
    // Stores a download that arrived, runs the after-download script or installs the
    // package; reports a failed download when progress was shown.
    void finishedDownloading() override;
    // Installs the package at path; 0.
    int updateUsingFile(char const* path);
    int tryUpdatingWithDiskFile(char const*) { return 0; }
    char const* showMyName() override { return "updateMaster"; }

    Cstring downloadDestFilename;
    bool showProgress = false;
    // The result of the last package installed (see updatePackage.h); -1 before any.
    int lastPackageResult = -1;

  private:
    void overwriteSettings();
};

// The one update master.
CupdateMaster& updateMaster();
// Fills the download and update-check slots of engineHooks.
void installUpdateMaster();
// The page offered when an update fails ("Contact Velmora").
extern Cstring contactPageAddress;
