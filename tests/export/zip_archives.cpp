#include "zip_archives.h"

#include "support/temp_dir.h"

namespace {

// Little-endian fields of the first member's headers: the local one starts
// the archive, the central one follows the data.
size_t CentralHeader(const std::string& archive) {
    return archive.find("PK\x01\x02");
}

void Patch(std::string& bytes, size_t at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + size_t(i)] = char((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string Archive(const std::vector<Member>& members, zip_int32_t method, const char* password,
                    zip_flags_t names) {
    const TempDir scratch;
    const std::string path = scratch / "archive.zip";
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (archive == nullptr) return {};
    for (const Member& member : members) {
        zip_source_t* source =
            zip_source_buffer(archive, member.bytes.data(), member.bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, member.name.c_str(), source, names);
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return {};
        }
        zip_set_file_compression(archive, zip_uint64_t(index), method, 0);
        if (password != nullptr) {
            zip_file_set_encryption(archive, zip_uint64_t(index), ZIP_EM_TRAD_PKWARE, password);
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return {};
    }
    return ReadFile(path);
}

std::string WithFlags(std::string archive, uint32_t flags) {
    Patch(archive, 6, flags, 2);
    Patch(archive, CentralHeader(archive) + 8, flags, 2);
    return archive;
}

std::string WithClaimedSize(std::string archive, uint32_t size) {
    Patch(archive, 22, size, 4);
    Patch(archive, CentralHeader(archive) + 24, size, 4);
    return archive;
}

std::string Document(const std::string& object) {
    return "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\nObject \"" + object +
           "\" {\r\n\tvertex 3 {\r\n\t\t0 0 0\r\n\t\t1 0 0\r\n\t\t0 1 0\r\n\t}\r\n"
           "\tface 1 {\r\n\t\t3 V(0 1 2)\r\n\t}\r\n}\r\nEof\r\n";
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::vector<BadArchive> BadArchives() {
    const std::string document = Document("box");
    const std::string stored = Archive({{"bad.mqo", document}}, ZIP_CM_STORE);
    const std::string deflated = Archive({{"bad.mqo", document}});
    if (stored.empty() || deflated.empty()) return {};
    std::string damaged = stored;
    damaged[damaged.find("Metasequoia")] ^= 0x20;
    const uint32_t bomb = uint32_t(64 * deflated.size() + 1);
    std::vector<BadArchive> cases = {
        {"cut short", deflated.substr(0, deflated.size() / 2),
         "not a readable zip archive, damaged or cut short (Not a zip archive)"},
        {"not a zip", "PK\x03\x04 is how this text starts",
         "not a readable zip archive, damaged or cut short (Not a zip archive)"},
        {"checksum", damaged, "member bad.mqo cannot be read: CRC error"},
        {"flagged encrypted", WithFlags(deflated, 1),
         "member bad.mqo is encrypted, which is not read"},
        {"zip bomb", WithClaimedSize(deflated, bomb),
         "member bad.mqo claims " + std::to_string(bomb) +
             " bytes, more than 64 times the archive or 2 GiB; refused as a likely zip bomb"},
        {"claims too little", WithClaimedSize(deflated, 10),
         "member bad.mqo holds more than the size it claims"},
    };
    for (const std::string name :
         {"../bad.mqo", "/tmp/bad.mqo", "C:bad.mqo", "a\\..\\..\\bad.mqo"}) {
        cases.push_back(
            {name, Archive({{"bad.mqo", document}, {name, document}}),
             "member \"" + name + "\" names a path outside the archive's folder; refused"});
    }
    // A name flagged UTF-8 comes from libzip as it is: DEL, which a
    // terminal may act on, stands as '?'. (libzip refuses such a name with a
    // character below 0x20 as inconsistent, and shows one unflagged as CP437.)
    const std::string marked = Archive({{"../@@bad.mqo", document}, {"bad.mqo", document}});
    cases.push_back({"control characters",
                     WithFlags(Replaced(marked, "../@@bad",
                                        "../\x7f\x7f"
                                        "bad"),
                               0x800),
                     "member \"../??bad.mqo\" names a path outside the archive's folder; refused"});
    if (zip_encryption_method_supported(ZIP_EM_TRAD_PKWARE, 1) != 0) {
        cases.push_back({"encrypted", Archive({{"bad.mqo", document}}, ZIP_CM_DEFLATE, "secret"),
                         "member bad.mqo is encrypted, which is not read"});
    }
    return cases;
}
