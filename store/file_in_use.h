#pragma once
// The configuration file in use: its bare name (the window's title) and full
// path, and what New, Open, Save and Save As decide about them. Both are empty
// when no file is in use. The file is remembered in the settings for the next
// start; a path the settings cannot hold is reported once.
#include <string>

#include "store/ini_settings.h"
#include "store/store_result.h"

namespace ostrel {

class FileInUse {
  public:
    const std::string& Name() const { return name_; }
    const std::string& Path() const { return path_; }
    bool IsNone() const { return name_.empty(); }

    // The start: the remembered file becomes the file in use even when it cannot
    // be read now, so that the next Save creates it there. False when nothing is
    // remembered (or a name without its path), and when the remembered path names
    // no file here (UnusablePath).
    bool Recall(const CIniSettings& settings);
    // The remembered path that the last Recall could not use, else empty: one that
    // does not start at the root, such as a path copied from Windows
    // ("C:\sets\live.cfg", "\\server\sets\live.cfg"). Saving to it would create a
    // file named with backslashes in whatever folder is current.
    const std::string& UnusablePath() const { return unusablePath_; }
    // New: no file in use.
    void Forget();
    // Open, Save and Save As: this file is in use. The name keeps at most
    // kMaxNameBytes bytes.
    void Use(const std::string& path, const std::string& name);

    // Save asks for a file only when none is in use.
    bool SaveNeedsChoice() const { return name_.empty() || path_.empty(); }
    // Save As: without a file in use the copy becomes it; otherwise the file in
    // use stays what the title, the next Save and the next start work with.
    bool SaveAsTakesCopy() const { return name_.empty(); }

    // Writes name and path in one write that is refused as a whole, so a path
    // the settings cannot hold leaves the file remembered before.
    StoreResult Remember(CIniSettings& settings) const;
    // After a refused Remember: whether to say so, true once for each path.
    bool FirstRefusalOfPath();

    static constexpr size_t kMaxNameBytes = 255;

  private:
    std::string name_, path_;
    std::string unusablePath_;
    std::string unrememberedPath_;  // the last path that could not be remembered
};

}  // namespace ostrel
