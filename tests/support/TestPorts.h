#pragma once

#include <string>

// A temporary per-user config folder for one test: XDG_CONFIG_HOME points at
// it while the object lives, and COM numbers are linked in its ports folder.
// On Windows only a temporary folder: the settings live in the registry and
// COM ports are the system's, so nothing can be linked there.
class TempConfigHome {
public:
    TempConfigHome();
    ~TempConfigHome();
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    const std::string& Path() const { return path_; }
    std::string PortsFolder() const { return path_ + "/Korvan/ports"; }
    // Links comN in the ports folder to `target` (Windows: throws
    // std::runtime_error).
    void LinkPort(int portNumber, const std::string& target) const;

private:
    std::string path_;
    std::string oldValue_;
    bool hadOld_ = false;
};

#ifndef _WIN32
// A pseudo-terminal pair; the test holds the master side.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    void CloseMaster();

    // Writes all bytes to the master side.
    bool Send(const std::string& bytes);
    // Reads what arrives at the master side within `timeoutMs` after the last
    // byte (or in total when nothing comes).
    std::string Receive(int timeoutMs, std::size_t atLeast = 1);

private:
    int master_ = -1;
    std::string slavePath_;
};

// While it lives, this process may not open `device`, as a user outside the
// device's group: the device's permission bits are cleared, and a process
// running as root (which ignores them) takes the effective user "nobody".
// Keep its life short: the whole process changes user.
class NoPortRights {
public:
    // `configHome`, when given, stays passable for the other user, so that
    // the port's link in it is found and only the device itself refuses.
    explicit NoPortRights(std::string device, std::string configHome = {});
    ~NoPortRights();
    NoPortRights(const NoPortRights&) = delete;
    NoPortRights& operator=(const NoPortRights&) = delete;

private:
    std::string device_;
    std::string configHome_;
    unsigned oldMode_ = 0;
    unsigned oldHomeMode_ = 0;
    bool homeChanged_ = false;
    bool modeChanged_ = false;
    bool userChanged_ = false;
};
#endif
