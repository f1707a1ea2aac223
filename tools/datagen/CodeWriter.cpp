#include "tools/datagen/CodeWriter.h"

#include <array>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

#include "rtl/Convert.h"
#include "rtl/Exceptions.h"
#include "rtl/Format.h"
#include "rtl/Streams.h"
#include "tools/datagen/Commands.h"

namespace datagen {

namespace {

constexpr std::array<const char*, 13> kEvents = {"VAR",       "ONCREATE",      "ONMOVEENTER",       "ONMOVEEXIT",
                                                 "ONROTATELEFT", "ONROTATERIGHT", "ONENLARGEVELOCITY", "ONREDUCEVELOCITY",
                                                 "ONCARRION", "ONVISIBLE",     "ONCOLLISION",       "ONBIRTH",
                                                 "ONMODIFICATION"};
constexpr std::array<const char*, 8> kTypes = {"OBJECT", "INTEGER", "REAL", "STRING",
                                               "BOOLEAN", "CHAR", "TGPPHANTOM", "TGPOBJECT"};
constexpr int32_t kDeclare = 1111, kPhantom = 6, kObject = 7, kImmediate = -1;

// One line of a command list, split into words; a quoted word keeps its spaces, and '#'
// not followed by a number starts a comment.
std::vector<std::string> Split(std::string_view line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        const bool index = line[i] == '#' && i + 1 < line.size() &&
                           (std::isdigit(static_cast<unsigned char>(line[i + 1])) || line[i + 1] == '-');
        if (line[i] == '#' && !index) break;  // a comment; #N is a variable index
        if (line[i] == '"') {
            const size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos) throw rtl::EConvertError("unterminated string");
            words.emplace_back(line.substr(i, end - i + 1));
            i = end + 1;
            continue;
        }
        const size_t end = std::min(line.find_first_of(" \t", i), line.size());
        words.emplace_back(line.substr(i, end - i));
        i = end;
    }
    return words;
}

class Assembler {
public:
    std::vector<CpcBlock> Run(std::string_view source) {
        std::istringstream in{std::string(source)};
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            try {
                Line(Split(line));
            } catch (const rtl::Exception& e) {
                throw rtl::EConvertError(rtl::Format("line %d: %s", {number, e.message()}));
            }
        }
        return std::move(blocks_);
    }

private:
    void Line(const std::vector<std::string>& w) {
        if (w.empty()) return;
        const std::string& op = w[0];
        if (op == "on") {
            Want(w, 2);
            int32_t event = CpcEventIndex(w[1]);
            if (event == 0) event = Int(w[1]);
            blocks_.push_back({event, {}, {}});
            return;
        }
        if (blocks_.empty()) throw rtl::EConvertError("a command before the first \"on\"");
        std::vector<int32_t>& out = blocks_.back().words;
        if (op == "var") {
            Want(w, 3);
            out.push_back(kDeclare);
            AppendStringOperand(out, Unquote(w[1]));
            out.push_back(Type(w[2]));
            names_.push_back(Unquote(w[1]));
        } else if (op == "word") {
            for (size_t i = 1; i < w.size(); ++i) out.push_back(Int(w[i]));
        } else if (op == "string") {
            Want(w, 2);
            AppendStringOperand(out, Unquote(w[1]));
        } else if (op == "phantom" || op == "object") {
            if (w.size() < 2) throw rtl::EConvertError(op + " needs a sub-command");
            Command(op == "phantom" ? kPhantom : kObject, w, out);
        } else {
            throw rtl::EConvertError("unknown command " + op);
        }
    }

    void Command(int32_t opcode, const std::vector<std::string>& w, std::vector<int32_t>& out) {
        const std::string& sub = w[1];
        out.push_back(opcode);
        if (sub == "bind") {
            Want(w, 5);
            out.push_back(1);
            out.push_back(Variable(w[2]));
            const size_t dot = w[3].find('.');
            if (opcode == kObject && dot == std::string::npos) {
                out.push_back(kImmediate);
                out.push_back(Variable(w[3]));
            } else if (opcode == kObject) {
                out.push_back(Variable(w[3].substr(0, dot)));
                AppendStringOperand(out, w[3].substr(dot + 1));
            } else {
                out.push_back(Variable(w[3]));
            }
            out.push_back(Int(w[4]));
        } else if (opcode == kPhantom && sub == "param") {
            Want(w, 5);
            out.insert(out.end(), {2, Variable(w[2])});
            Value(w[3], out);
            Value(w[4], out);
        } else if (opcode == kPhantom && sub == "align") {
            Want(w, 5);
            out.insert(out.end(), {3, Variable(w[2]), Variable(w[3]), Int(w[4])});
        } else if (opcode == kObject && sub == "create") {
            Want(w, 5);
            out.insert(out.end(), {2, Variable(w[2])});
            Value(w[3], out);
            Value(w[4], out);
        } else if (opcode == kObject && (sub == "splinter" || sub == "sound")) {
            Want(w, 6);
            out.insert(out.end(), {sub == "splinter" ? 3 : 5, Variable(w[2])});
            for (size_t i = 3; i < 6; ++i) Value(w[i], out);
        } else {
            throw rtl::EConvertError("unknown sub-command " + sub);
        }
    }

    static void Want(const std::vector<std::string>& w, size_t n) {
        if (w.size() != n) throw rtl::EConvertError(rtl::Format("%s takes %d words", {w[0], static_cast<int32_t>(n - 1)}));
    }

    static int32_t Int(const std::string& text) {
        int32_t v = 0;
        if (text.size() > 2 && text.size() <= 10 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            uint32_t u = 0;  // a hexadecimal word: any bit pattern
            for (size_t i = 2; i < text.size(); ++i) {
                const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
                const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
                if (digit < 0) throw rtl::EConvertError("not a number: " + text);
                u = u << 4 | static_cast<uint32_t>(digit);
            }
            return static_cast<int32_t>(u);
        }
        if (!rtl::TryStrToInt(text, v)) throw rtl::EConvertError("not a number: " + text);
        return v;
    }

    static int32_t Type(const std::string& text) {
        for (size_t t = 0; t < kTypes.size(); ++t)
            if (text == kTypes[t]) return static_cast<int32_t>(t);
        return Int(text);
    }

    static std::string Unquote(const std::string& text) {
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
        return text;
    }

    int32_t Variable(const std::string& name) const {
        if (!name.empty() && name[0] == '#') return Int(name.substr(1));
        static const std::array<const char*, 4> predefined = {"SELF", "KERNEL", "MYNATION", "MAP"};
        for (size_t i = 0; i < predefined.size(); ++i)
            if (name == predefined[i]) return static_cast<int32_t>(i);
        for (size_t i = 0; i < names_.size(); ++i)
            if (names_[i] == name) return static_cast<int32_t>(predefined.size() + i);
        throw rtl::EConvertError("unknown variable " + name);
    }

    // An immediate, or VARIABLE.Property.
    void Value(const std::string& text, std::vector<int32_t>& out) const {
        const size_t dot = text.find('.');
        if (dot == std::string::npos) {
            out.insert(out.end(), {kImmediate, Int(text)});
            return;
        }
        out.push_back(Variable(text.substr(0, dot)));
        AppendStringOperand(out, text.substr(dot + 1));
    }

    std::vector<CpcBlock> blocks_;
    std::vector<std::string> names_;
};

}  // namespace

std::string WriteCpc(const CpcStream& stream) {
    std::string out = stream.signature;
    out += Int32Bytes(stream.declaredBlocks.value_or(static_cast<int32_t>(stream.blocks.size())));
    for (const CpcBlock& b : stream.blocks) {
        out += Int32Bytes(b.event);
        out += Int32Bytes(b.declaredWords.value_or(static_cast<int32_t>(b.words.size())));
        for (int32_t w : b.words) out += Int32Bytes(w);
    }
    return out;
}

void AppendStringOperand(std::vector<int32_t>& words, std::string_view text) {
    words.push_back(static_cast<int32_t>(text.size()));
    for (size_t i = 0; i < text.size(); i += 4) {
        uint32_t word = 0;
        for (size_t j = 0; j < 4 && i + j < text.size(); ++j)
            word |= uint32_t{static_cast<uint8_t>(text[i + j])} << (8 * j);
        words.push_back(static_cast<int32_t>(word));
    }
}

std::vector<CpcBlock> AssembleCpc(std::string_view source) { return Assembler().Run(source); }

std::string AssembleCpcStream(std::string_view source) { return WriteCpc({AssembleCpc(source), "_CPC", {}}); }

int32_t CpcEventIndex(std::string_view name) {
    for (size_t i = 0; i < kEvents.size(); ++i)
        if (name == kEvents[i]) return static_cast<int32_t>(i + 1);
    return 0;
}

ContainerSection CodeUnitSection(const std::vector<std::pair<std::string, std::string>>& scripts) {
    ContainerSection section{"Code_Unit", {}};
    for (const auto& [key, stream] : scripts) section.entries.push_back({key, stream});
    return section;
}

namespace {

const Command cpcCommand("cpc", "cpc IN.txt OUT  assemble a command list into a compiled object script",
                         [](const std::vector<std::string>& args) {
                             if (args.size() != 2) return 2;
                             std::ifstream in(args[0], std::ios::binary);
                             if (!in) throw rtl::EFOpenError("Cannot open file " + args[0]);
                             const std::string source{std::istreambuf_iterator<char>(in), {}};
                             const std::string bytes = AssembleCpcStream(source);
                             rtl::WriteFileAtomically(args[1], bytes.data(), bytes.size());
                             return 0;
                         });

}  // namespace
}  // namespace datagen
