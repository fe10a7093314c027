// The resource script is what the resource compiler builds into the module on
// Windows; the tables of module_resources.cpp are what the module uses
// elsewhere. These tests read the script and hold the tables to it.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "shell/module_resources.h"
#include "support/test_support.h"

namespace {

const std::filesystem::path kShellDir =
    std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "shell";

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Quoted texts (quotes removed, "" for a quote), words, numbers and the
// punctuation , and | as separate tokens.
std::vector<std::string> Tokens(const std::string& line) {
    std::vector<std::string> out;
    for (size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') break;
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '"') {
            std::string text = "\"";
            for (++i; i < line.size(); ++i) {
                if (line[i] == '"' && (i + 1 >= line.size() || line[i + 1] != '"')) break;
                if (line[i] == '"') ++i;
                text += line[i];
            }
            ++i;
            out.push_back(text);
        } else if (c == ',' || c == '|') {
            out.emplace_back(1, c);
            ++i;
        } else {
            size_t end = i;
            while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end])) &&
                   line[end] != ',' && line[end] != '|')
                ++end;
            out.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return out;
}

// Names the script uses: resource.h's defines and the system's constants.
class Names {
   public:
    Names() {
        for (const std::string& line : ReadLines(kShellDir / "resource.h")) {
            std::istringstream in(line);
            std::string define, name;
            long value = 0;
            if (in >> define >> name >> value && define == "#define") values_[name] = value;
        }
        values_.insert({{"IDOK", IDOK},
                        {"IDCANCEL", IDCANCEL},
                        {"DS_SETFONT", DS_SETFONT},
                        {"DS_MODALFRAME", DS_MODALFRAME},
                        {"WS_POPUP", WS_POPUP},
                        {"WS_CAPTION", WS_CAPTION},
                        {"WS_SYSMENU", WS_SYSMENU},
                        {"WS_TABSTOP", WS_TABSTOP},
                        {"BS_AUTOCHECKBOX", BS_AUTOCHECKBOX}});
    }

    // A number, a name, or names joined by |, starting at tokens[at].
    long Value(const std::vector<std::string>& tokens, size_t& at) const {
        long value = 0;
        for (;;) {
            const std::string& token = tokens.at(at++);
            auto found = values_.find(token);
            if (found != values_.end()) {
                value |= found->second;
            } else {
                EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(token[0]))) << token;
                value |= std::stol(token, nullptr, 0);
            }
            if (at >= tokens.size() || tokens[at] != "|") return value;
            ++at;
        }
    }

   private:
    std::map<std::string, long> values_;
};

std::string Text(const std::vector<std::string>& tokens, size_t& at) {
    const std::string& token = tokens.at(at++);
    EXPECT_EQ(token[0], '"') << token;
    return token.substr(1);
}

void Comma(const std::vector<std::string>& tokens, size_t& at) {
    EXPECT_EQ(tokens.at(at), ",");
    ++at;
}

struct ScriptItem {
    DialogItemTemplate item;
    std::string text;
    std::string class_name;
};

// One control line: DEFPUSHBUTTON and PUSHBUTTON carry text, id and
// rectangle; CONTROL also class and style. Each is a visible child.
ScriptItem ParseControl(const std::vector<std::string>& tokens, const Names& names) {
    ScriptItem out{};
    size_t at = 1;
    const std::string& kind = tokens[0];
    DWORD style = WS_CHILD | WS_VISIBLE;
    out.text = Text(tokens, at);
    Comma(tokens, at);
    out.item.id = static_cast<uint16_t>(names.Value(tokens, at));
    if (kind == "CONTROL") {
        Comma(tokens, at);
        out.class_name = Text(tokens, at);
        Comma(tokens, at);
        style |= static_cast<DWORD>(names.Value(tokens, at));
    } else {
        out.class_name = "Button";
        style |= WS_TABSTOP | (kind == "DEFPUSHBUTTON" ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    }
    out.item.style = style;
    int16_t* rect[] = {&out.item.x, &out.item.y, &out.item.cx, &out.item.cy};
    for (int16_t* value : rect) {
        Comma(tokens, at);
        *value = static_cast<int16_t>(names.Value(tokens, at));
    }
    return out;
}

const DialogTemplate* TableDialog(uint16_t id) {
    const ModuleResources& module = VarnelResources();
    for (int i = 0; i < module.dialog_count; ++i) {
        if (module.dialogs[i].id == id) return &module.dialogs[i];
    }
    return nullptr;
}

TEST(ResourceScript, DialogsAgreeWithTheModuleTable) {
    const Names names;
    const std::vector<std::string> lines = ReadLines(kShellDir / "varnel.rc");
    uint16_t language = 0;
    int dialogs = 0;
    for (size_t n = 0; n < lines.size(); ++n) {
        std::vector<std::string> t = Tokens(lines[n]);
        if (t.size() >= 2 && t[0] == "LANGUAGE") {
            language = t[1] == "LANG_JAPANESE" ? kLangJapanese : 0;
            continue;
        }
        if (t.size() < 2 || t[1] != "DIALOGEX") continue;

        size_t at = 0;
        const auto id = static_cast<uint16_t>(names.Value(t, at));
        const DialogTemplate* table = TableDialog(id);
        ASSERT_NE(table, nullptr) << "dialog " << id << " is missing from the table";
        ++dialogs;
        SCOPED_TRACE("dialog " + std::to_string(id));
        EXPECT_EQ(table->language, language);
        at = 2;
        for (int16_t expected : {table->x, table->y, table->cx, table->cy}) {
            EXPECT_EQ(names.Value(t, at), expected);
            if (at < t.size()) Comma(t, at);
        }
        int items = 0;
        bool in_body = false;
        for (++n; n < lines.size(); ++n) {
            t = Tokens(lines[n]);
            if (t.empty()) continue;
            at = 1;
            if (t[0] == "STYLE") {
                EXPECT_EQ(static_cast<DWORD>(names.Value(t, at)), table->style);
            } else if (t[0] == "EXSTYLE") {
                EXPECT_EQ(static_cast<DWORD>(names.Value(t, at)), table->ex_style);
            } else if (t[0] == "CAPTION") {
                EXPECT_EQ(Text(t, at), table->title);
            } else if (t[0] == "FONT") {
                EXPECT_EQ(names.Value(t, at), table->point_size);
                Comma(t, at);
                EXPECT_EQ(Text(t, at), table->font);
                for (long expected :
                     {long{table->weight}, long{table->italic}, long{table->charset}}) {
                    Comma(t, at);
                    EXPECT_EQ(names.Value(t, at), expected);
                }
            } else if (t[0] == "BEGIN") {
                in_body = true;
            } else if (t[0] == "END") {
                break;
            } else if (in_body) {
                ASSERT_LT(items, table->item_count) << lines[n];
                const ScriptItem script = ParseControl(t, names);
                const DialogItemTemplate& item = table->items[items++];
                SCOPED_TRACE(lines[n]);
                EXPECT_EQ(script.item.id, item.id);
                EXPECT_EQ(script.text, item.text);
                EXPECT_EQ(script.class_name, item.class_name);
                EXPECT_EQ(script.item.style, item.style);
                EXPECT_EQ(script.item.x, item.x);
                EXPECT_EQ(script.item.y, item.y);
                EXPECT_EQ(script.item.cx, item.cx);
                EXPECT_EQ(script.item.cy, item.cy);
            }
        }
        EXPECT_EQ(items, table->item_count);
    }
    EXPECT_EQ(dialogs, VarnelResources().dialog_count);
}

TEST(ResourceScript, StringTableAgreesWithTheModuleTable) {
    const Names names;
    const std::vector<std::string> lines = ReadLines(kShellDir / "varnel.rc");
    std::map<long, std::string> script;
    bool in_table = false;
    for (const std::string& line : lines) {
        std::vector<std::string> t = Tokens(line);
        if (t.empty()) continue;
        if (t[0] == "STRINGTABLE") {
            in_table = true;
        } else if (in_table && t[0] == "END") {
            in_table = false;
        } else if (in_table && t[0] != "BEGIN") {
            size_t at = 0;
            const long id = names.Value(t, at);
            script[id] = Text(t, at);
        }
    }
    const ModuleResources& module = VarnelResources();
    std::map<long, std::string> table;
    for (int i = 0; i < module.string_count; ++i) {
        table[module.strings[i].id] = module.strings[i].text;
    }
    EXPECT_EQ(script, table);
}

// What the script says the options dialog is: the layer's dialog is built
// from the table, so this pins the table and the script together.
TEST(ResourceScript, OptionsDialogTemplate) {
    const DialogTemplate* dialog = TableDialog(102);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->style, 0x80C800C0u);
    EXPECT_EQ(dialog->ex_style, 0u);
    EXPECT_EQ(dialog->language, 1041);
    EXPECT_STREQ(dialog->title, "Varnel");
    EXPECT_EQ(dialog->point_size, 9);
    EXPECT_EQ(dialog->font, Utf8ToCp932("ＭＳ Ｐゴシック"));
    ASSERT_EQ(dialog->item_count, 6);
    const int ids[] = {1, 2, 1001, 1002, 1003, 1004};
    const int ys[] = {64, 64, 7, 20, 33, 47};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(dialog->items[i].id, ids[i]);
        EXPECT_EQ(dialog->items[i].y, ys[i]);
        EXPECT_TRUE(dialog->items[i].style & WS_TABSTOP);
    }
}

}  // namespace
