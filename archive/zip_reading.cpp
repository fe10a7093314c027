// Compressed documents read with libzip: the archive is opened read-only, its
// member names checked, the document member chosen, and that member inflated
// into memory under a bound set before inflating begins.
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "archive/compressed_document.h"
#include "host/code_pages.h"
#include "model/code_page.h"
#include "model/text.h"

namespace {

// A member may claim no more than this many times the archive's size, nor
// more than kLargestDocument: deflate packs ordinary text ten to twenty
// times, so a larger claim is a zip bomb rather than a document.
constexpr uint64_t kLargestRatio = 64;
constexpr uint64_t kLargestDocument = uint64_t{2} << 30;
// Member names told in one error line at most; the rest are counted.
constexpr size_t kNamesTold = 16;

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct MemberCloser {
    void operator()(zip_file_t* member) const { zip_fclose(member); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;
using Member = std::unique_ptr<zip_file_t, MemberCloser>;

struct MemberEntry {
    zip_uint64_t index = 0;
    std::string name;  // decoded to UTF-8
};

// A member's name as an error line shows it: a control character, which
// could break the line or move the terminal's cursor, stands as '?'.
std::string Shown(const std::string& name) {
    std::string text = name;
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return text;
}

// Archives written on Windows may separate folders with either slash.
bool IsSlash(char c) {
    return c == '/' || c == '\\';
}

std::string BaseName(const std::string& name) {
    const auto slash = std::find_if(name.rbegin(), name.rend(), IsSlash);
    return std::string(slash.base(), name.end());
}

// The base name without its last extension (a.b.mqoz gives a.b); a name
// that starts with its only dot is kept whole.
std::string Stem(const std::string& path) {
    const std::string base = BaseName(path);
    const size_t dot = base.rfind('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

// A name that would leave the archive's folder if it were ever unpacked: an
// absolute path, a drive letter, or a ".." step with either slash. Nothing
// is unpacked here, but such an archive is made to attack, not to be read.
bool LeavesItsFolder(const std::string& name) {
    if (!name.empty() && IsSlash(name[0])) return true;
    if (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':') {
        return true;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSlash(name[end])) ++end;
        if (name.compare(start, end - start, "..") == 0 && end - start == 2) return true;
        start = end + 1;
    }
    return false;
}

std::string NamesSeen(const std::vector<MemberEntry>& members) {
    if (members.empty()) return "it holds no member";
    std::string text = "members seen: ";
    for (size_t i = 0; i < members.size() && i < kNamesTold; ++i) {
        text += (i > 0 ? ", " : "") + Shown(members[i].name);
    }
    if (members.size() > kNamesTold) {
        text += " and " + std::to_string(members.size() - kNamesTold) + " more";
    }
    return text;
}

// A member's name as its writer meant it. The zip format reads a name not
// flagged as UTF-8 as CP437, but the modelling program writes such names in
// code page 932, its home, and other tools write UTF-8 without the flag: so
// valid UTF-8 is taken as it is, else code page 932 where every byte
// decodes, else CP437, which libzip converts.
bool DecodedName(zip_t* archive, zip_uint64_t index, std::string& name) {
    const char* raw = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
    if (raw == nullptr) return false;
    const size_t length = std::strlen(raw);
    std::vector<uint32_t> codes;
    if (DecodeCodePage(kCodePageUtf8, raw, length, codes)) {
        name = raw;
        return true;
    }
    codes.clear();
    if (DecodeCodePage(kCodePageJapanese, raw, length, codes)) {
        name = Utf8OfCodes(codes);
        return true;
    }
    const char* cp437 = zip_get_name(archive, index, ZIP_FL_ENC_STRICT);
    if (cp437 == nullptr) return false;
    name = cp437;
    return true;
}

// Every member but folders, in archive order; fails for a member whose name
// leaves the folder, as it stands in the archive or as it reads, or cannot
// be read.
Status ListMembers(zip_t* archive, std::vector<MemberEntry>& members) {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        std::string text;
        if (!DecodedName(archive, zip_uint64_t(i), text))
            return Status::Failure("a member's name cannot be read");
        if (LeavesItsFolder(text) ||
            LeavesItsFolder(zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_RAW))) {
            return Status::Failure("member \"" + Shown(text) +
                                   "\" names a path outside the archive's folder; refused");
        }
        if (!text.empty() && IsSlash(text.back())) continue;
        members.push_back({zip_uint64_t(i), text});
    }
    return {};
}

// The member named after the archive (a.mqoz holds a.mqo, in any letter
// case), else the only document member; fails when none or several
// qualify.
Status ChooseDocument(const std::vector<MemberEntry>& members, const std::string& archive,
                      MemberEntry& chosen) {
    const std::string own_name = Stem(archive) + ".mqo";
    std::vector<MemberEntry> named, documents;
    for (const MemberEntry& member : members) {
        const std::string base = BaseName(member.name);
        if (EqualsIgnoringCase(base, own_name)) named.push_back(member);
        if (IsDocumentName(base)) documents.push_back(member);
    }
    const std::vector<MemberEntry>& candidates = named.empty() ? documents : named;
    if (candidates.size() == 1) {
        chosen = candidates[0];
        return {};
    }
    if (candidates.empty())
        return Status::Failure("no document (.mqo) in the archive; " + NamesSeen(members));
    return Status::Failure("several documents (.mqo) in the archive and none alone named " +
                           own_name + "; " + NamesSeen(members));
}

// Refuses, before anything is inflated, a member that is encrypted or claims
// more bytes than the bound; else gives the size it claims.
Status CheckClaims(zip_t* archive, const MemberEntry& member, uint64_t archive_size,
                   uint64_t& size) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, member.index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        return Status::Failure("member " + Shown(member.name) + " cannot be examined");
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        return Status::Failure("member " + Shown(member.name) + " is encrypted, which is not read");
    }
    const uint64_t limit = archive_size >= kLargestDocument / kLargestRatio
                               ? kLargestDocument
                               : archive_size * kLargestRatio;
    if (stat.size > limit) {
        return Status::Failure(
            "member " + Shown(member.name) + " claims " + std::to_string(stat.size) +
            " bytes, more than 64 times the archive or 2 GiB; refused as a likely zip bomb");
    }
    size = stat.size;
    return {};
}

// Inflates exactly the size claimed. One more byte is asked for: data that
// goes on past the claim is refused rather than followed, and the read that
// finds the end is the one on which libzip compares the checksum.
Status Inflate(zip_t* archive, const MemberEntry& member, uint64_t size, std::string& bytes) {
    const Member file(zip_fopen_index(archive, member.index, 0));
    if (!file)
        return Status::Failure("member " + Shown(member.name) +
                               " cannot be read: " + zip_strerror(archive));
    const auto failed = [&] {
        return "member " + Shown(member.name) + " cannot be read: " + zip_file_strerror(file.get());
    };
    bytes.resize(size);
    uint64_t done = 0;
    while (done < size) {
        const zip_int64_t got = zip_fread(file.get(), bytes.data() + done, size - done);
        if (got < 0) return Status::Failure(failed());
        if (got == 0)
            return Status::Failure("member " + Shown(member.name) +
                                   " ends before the size it claims");
        done += uint64_t(got);
    }
    char extra = 0;
    const zip_int64_t more = zip_fread(file.get(), &extra, 1);
    if (more < 0) return Status::Failure(failed());
    if (more > 0)
        return Status::Failure("member " + Shown(member.name) +
                               " holds more than the size it claims");
    return {};
}

struct SourceFreer {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};

// The archive in memory, checked for consistency as it is opened.
Status OpenArchive(const std::string& bytes, Archive& archive) {
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, SourceFreer> source(
        zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error));
    if (source)
        archive.reset(zip_open_from_source(source.get(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    Status opened;
    if (archive) {
        source.release();  // the archive owns it now
    } else {
        opened = Status::Failure("not a readable zip archive, damaged or cut short (" +
                                 std::string(zip_error_strerror(&error)) + ")");
    }
    zip_error_fini(&error);
    return opened;
}

}  // namespace

Status TakeDocumentOut(const char* path, const std::string& archive_bytes, std::string& bytes) {
    Archive archive;
    if (Status opened = OpenArchive(archive_bytes, archive); !opened.ok()) return opened;
    std::vector<MemberEntry> members;
    if (Status listed = ListMembers(archive.get(), members); !listed.ok()) return listed;
    MemberEntry chosen;
    if (Status chose = ChooseDocument(members, path, chosen); !chose.ok()) return chose;
    uint64_t size = 0;
    if (Status claims = CheckClaims(archive.get(), chosen, archive_bytes.size(), size);
        !claims.ok()) {
        return claims;
    }
    return Inflate(archive.get(), chosen, size, bytes);
}
