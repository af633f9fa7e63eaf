#include "standin/settings/settings_store.h"

#include "abi/utf_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace standin {
namespace {

// Comments, processing instructions and the declaration of a hand-edited
// file survive a load and a save. A text made only of blanks is kept when
// it is an element's only content, so such a value reads back unchanged.
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_declaration | pugi::parse_ws_pcdata_single;

// Handles are drawn from one counter for the whole process and never reused.
uintptr_t g_nextHandle = 1;

SettingsStore *g_default = nullptr;
bool g_defaultGone = false; // the default store has been destroyed (process exit)
SettingsStore *g_host = nullptr;
bool g_hostChosen = false;

// Appends an element named `name` to `node`. A text made only of blanks is
// kept as an element's only content (a value); once the element holds an
// element it is layout, which saving writes afresh, and it would not survive
// a reload beside an element: it is dropped first, so a saved file opens to
// the same document.
pugi::xml_node AppendElement(pugi::xml_node node, const char *name) {
    for (pugi::xml_node child = node.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        const std::string_view text = child.value();
        if (child.type() == pugi::node_pcdata && text.find_first_not_of(" \t\r\n") == std::string_view::npos)
            node.remove_child(child);
        child = next;
    }
    return node.append_child(name);
}

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

std::string Quoted(const fs::path &path) { return "\"" + path.string() + "\""; }

int ProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

std::FILE *OpenForWriting(const fs::path &path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"wb");
#else
    return std::fopen(path.c_str(), "wb");
#endif
}

// Flushes the file's data to the disk, so the rename that follows never
// exposes a file whose contents are still in flight.
bool SyncFile(std::FILE *file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// Makes the rename itself durable. Best effort: a failure here does not undo
// a save that has already replaced the file.
void SyncDirectory(const fs::path &directory) {
#ifndef _WIN32
    const int fd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#else
    (void)directory;
#endif
}

} // namespace

bool IsElementName(const char *name) {
    if (name == nullptr || name[0] == '\0') return false;
    std::string_view rest(name);
    bool first = true;
    while (!rest.empty()) {
        const auto c = static_cast<unsigned char>(rest.front());
        if (c >= 0x80) {
            char32_t cp = 0;
            const size_t length = vexolin::utf::DecodeUtf8Sequence(rest, cp);
            if (length == 0) return false;
            rest.remove_prefix(length);
        } else {
            const bool start = IsAsciiLetter(c) || c == '_' || c == ':';
            if (!start && (first || !(IsAsciiDigit(c) || c == '-' || c == '.'))) return false;
            rest.remove_prefix(1);
        }
        first = false;
    }
    return true;
}

SettingsStore &DefaultSettings() {
    static SettingsStore store;
    g_default = &store;
    return store;
}

SettingsStore *HostSettings() {
    if (!g_hostChosen) {
        g_host = &DefaultSettings();
        g_hostChosen = true;
    }
    return g_host;
}

void SetHostSettings(SettingsStore *store) {
    g_host = store;
    g_hostChosen = true;
}

SettingsStore::SettingsStore() = default;

SettingsStore::~SettingsStore() {
    if (g_default == this) {
        g_default = nullptr;
        g_defaultGone = true;
    }
    if (g_host == this) g_host = g_defaultGone ? nullptr : &DefaultSettings();
}

void SettingsStore::Clear() {
    xml_.reset();
    nodes_.clear();
    handles_.clear();
}

pugi::xml_node SettingsStore::Root() {
    pugi::xml_node root = xml_.document_element();
    if (!root) root = xml_.append_child(kRootName);
    return root;
}

pugi::xml_node SettingsStore::PluginSettings() {
    pugi::xml_node root = Root();
    pugi::xml_node settings = root.child(kPluginSettingsName);
    if (!settings) settings = AppendElement(root, kPluginSettingsName);
    return settings;
}

bool SettingsStore::Contains(const pugi::xml_node_struct *target) const {
    if (target == nullptr) return false;
    // Walks the live tree and compares addresses: the target itself is never
    // dereferenced, since it may be gone.
    pugi::xml_node node = xml_.first_child();
    while (node) {
        if (node.internal_object() == target) return true;
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) node = node.parent();
        if (node) node = node.next_sibling();
    }
    return false;
}

MQXmlElement SettingsStore::HandleOf(pugi::xml_node node) {
    if (node.type() != pugi::node_element || !Contains(node.internal_object())) return nullptr;
    const auto found = handles_.find(node.internal_object());
    if (found != handles_.end()) return reinterpret_cast<MQXmlElement>(found->second);
    const uintptr_t handle = g_nextHandle++;
    nodes_.emplace(handle, node.internal_object());
    handles_.emplace(node.internal_object(), handle);
    return reinterpret_cast<MQXmlElement>(handle);
}

pugi::xml_node SettingsStore::NodeOf(MQXmlElement handle) {
    const auto found = nodes_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == nodes_.end()) return {};
    if (!Contains(found->second)) {
        handles_.erase(found->second);
        nodes_.erase(found);
        return {};
    }
    return pugi::xml_node(found->second);
}

void SettingsStore::ForgetSubtree(pugi::xml_node top) {
    // Iterative, so a deeply nested file cannot exhaust the stack.
    pugi::xml_node node = top;
    while (node) {
        const auto found = handles_.find(node.internal_object());
        if (found != handles_.end()) {
            nodes_.erase(found->second);
            handles_.erase(found);
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != top && !node.next_sibling()) node = node.parent();
        node = node == top ? pugi::xml_node() : node.next_sibling();
    }
}

MQXmlElement SettingsStore::AddChild(MQXmlElement parent, const char *name) {
    if (refuseNewElements || !IsElementName(name)) return nullptr;
    pugi::xml_node node = NodeOf(parent);
    if (!node) return nullptr;
    pugi::xml_node child = AppendElement(node, name);
    return child ? HandleOf(child) : nullptr;
}

bool SettingsStore::RemoveChild(MQXmlElement parent, MQXmlElement child) {
    pugi::xml_node parentNode = NodeOf(parent);
    pugi::xml_node childNode = NodeOf(child);
    if (!parentNode || !childNode || childNode.parent() != parentNode) return false;
    // Withdraw the subtree's handles first: its memory may be reused by
    // elements made later, which must not answer to the old handles.
    ForgetSubtree(childNode);
    return parentNode.remove_child(childNode);
}

MQXmlElement SettingsStore::FindChild(MQXmlElement parent, const char *name) {
    if (name == nullptr) return nullptr;
    pugi::xml_node node = NodeOf(parent);
    if (!node) return nullptr;
    pugi::xml_node child = node.child(name);
    return child ? HandleOf(child) : nullptr;
}

const char *SettingsStore::GetText(MQXmlElement element) {
    pugi::xml_node node = NodeOf(element);
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) return child.value();
    }
    return nullptr;
}

bool SettingsStore::SetText(MQXmlElement element, const char *text) {
    if (text == nullptr) return false;
    pugi::xml_node node = NodeOf(element);
    return node && node.text().set(text);
}

StoreResult SettingsStore::SetAside(const std::string &reason) {
    Clear();
    std::string message = "settings file " + Quoted(path_) + " " + reason;
    std::error_code ec;
    for (int k = 0; k < 1000; ++k) {
        fs::path candidate = path_;
        candidate += k == 0 ? std::string(".bad") : ".bad" + std::to_string(k);
        if (fs::symlink_status(candidate, ec).type() != fs::file_type::not_found) continue;
        fs::rename(path_, candidate, ec);
        if (ec) break;
        backup_ = candidate;
        return {false, message + "; it was moved to " + Quoted(candidate) + " and the settings start empty"};
    }
    fileBlocked_ = true;
    return {false, message + "; it could not be moved aside" + (ec ? " (" + ec.message() + ")" : std::string()) +
                       ", so it will not be overwritten; the settings start empty"};
}

StoreResult SettingsStore::Open(const fs::path &path) {
    Clear();
    path_ = path;
    backup_.clear();
    fileBlocked_ = false;

    std::error_code ec;
    const fs::file_status status = fs::status(path_, ec);
    if (status.type() == fs::file_type::not_found) return {};
    if (status.type() != fs::file_type::regular) {
        return SetAside(ec ? "cannot be examined (" + ec.message() + ")" : "is not a regular file");
    }

    // The file is closed before it may be set aside: Windows cannot rename
    // a file that is still open.
    std::string data;
    bool readFailed = false;
    {
        std::ifstream in(path_, std::ios::binary);
        if (!in) return SetAside(std::string("cannot be opened (") + std::strerror(errno) + ")");
        data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        readFailed = in.bad();
    }
    if (readFailed) return SetAside("cannot be read");

    const pugi::xml_parse_result parsed = xml_.load_buffer(data.data(), data.size(), kParseOptions, pugi::encoding_auto);
    if (!parsed) {
        return SetAside("is not well-formed XML (" + std::string(parsed.description()) + " at byte " +
                        std::to_string(parsed.offset) + ")");
    }
    const pugi::xml_node root = xml_.document_element();
    if (std::strcmp(root.name(), kRootName) != 0) {
        return SetAside(std::string("is not a settings file (its root element is <") + root.name() + ">, not <" +
                        kRootName + ">)");
    }
    return {};
}

StoreResult SettingsStore::Save() {
    if (path_.empty()) return {false, "the settings store has no file to save to"};
    if (fileBlocked_) {
        return {false, "settings not saved: " + Quoted(path_) +
                           " could not be read or moved aside, and is not overwritten"};
    }
    Root();
    std::ostringstream out;
    xml_.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
    const std::string data = out.str();

    fs::path temporary = path_;
    temporary += "." + std::to_string(ProcessId()) + ".tmp";
    std::error_code ec;

    std::FILE *file = OpenForWriting(temporary);
    if (file == nullptr) {
        return {false, "settings not saved: cannot create " + Quoted(temporary) + " (" + std::strerror(errno) + ")"};
    }
    const bool written = std::fwrite(data.data(), 1, data.size(), file) == data.size() && SyncFile(file);
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        fs::remove(temporary, ec);
        return {false, "settings not saved: cannot write " + Quoted(temporary) + " (" + std::strerror(writeError) + ")"};
    }
    fs::rename(temporary, path_, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return {false, "settings not saved: cannot replace " + Quoted(path_) + " (" + ec.message() + ")"};
    }
    SyncDirectory(path_.parent_path());
    return {};
}

} // namespace standin
