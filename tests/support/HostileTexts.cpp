#include "tests/support/HostileTexts.h"

namespace qelvor::test {

namespace {

using namespace std::string_literals;

// Texts that are hostile on their own.
const std::vector<std::string> kWhole = {
    "'", "''", "'''", "''''", "\"", "\"\"", "`", "``", "'\"`", "`\"'", "'a\"b`c",
    ":", "::", ":::", ":a", "::a", ":1", ":\"a b\"", ":'x'", ":`x`", "a:b", "a::b", "':x'", "\":x\"", "`:x`",
    "\":x", "`:x", "\"'", "\" :p '", "` :p '",
    "--", "-- x", "--'", "/*", "*/", "/* x */", "/*'*/", "#", "# x",
    ";", ";;", "; DELETE FROM t_bm;--", "';DELETE FROM t_bm;--", "'); DROP TABLE t_omr; --",
    "x'; DELETE FROM t_omr WHERE 'a'='a", "' OR '1'='1", "' OR 1=1 --", "1' UNION SELECT zkzh,bmh,xm,xm,xm,xm,xm FROM t_bm --",
    "\\", "\\\\", "\\\\\\", "\\'", "'\\", "\\''", "\\\"", "\\0", "\\n", "\\x27", "a\\", "\\a", "\\%", "\\_",
    "and chr(122);DELETE FROM t_bm;-- ", "\\' and 1=1;DELETE FROM t_bm;--",
    "%", "_", "%'%", "?", "??", "'?'", "$1", "$$", "$$x$$", "$a$'$a$", "E'\\''",
    "{", "}", "{fn ucase('a')}", "{d '2020-01-01'}", "{call p}", "{oj x}", "[", "]", "[zkzh]",
    "\t", "\r\n", "\n", "\r", "\x01", "\x1f", "\x7f", " \x02 ", "1\t2", "a\nb;DELETE FROM t_bm",
    "\0"s, "a\0b"s, "\0';DELETE FROM t_bm;--"s, "101\0"s, "\\\0"s,
    "😀", "𝟘𝟙𝟚", "𠀀𠀁", "'😀'", "\\😀",
    "\u200f", "\u200e", "\u202e101", "\u202e'\u202c", "\u2066:a\u2069", "\ufeff", "１０１", "张三", "'张''三'",
    "e\u0301", "\u00a0", "\u3000101\u3000",
    "NULL", "null", "0", "-1", "1e9", "0x41", "TRUE",
    "select", "SELECT 1", "where", "between", "and", " and ", "order by 1", "' between '' and '",
    "a' collate \"C\" and '", "' || chr(39) || '", "'+'", "concat('a','b')",
};

// Fragments placed into ticket numbers.
const std::vector<std::string> kFragments = {
    "'", "''", "\"", "`", ":", "::", ":p", "--", "/*", ";", "\\", "\\'", "?", "$$", "{", "%", "\t", "\x01", "😀", "\u202e",
};

const std::vector<std::string> kTickets = {"1010001", "1010050", "1019999"};

}  // namespace

std::vector<std::string> HostileTexts()
{
    std::vector<std::string> texts = kWhole;
    for (const std::string& ticket : kTickets) {
        for (const std::string& fragment : kFragments) {
            texts.push_back(fragment + ticket);
            texts.push_back(ticket.substr(0, 3) + fragment + ticket.substr(3));
            texts.push_back(ticket + fragment);
        }
    }
    for (const std::string& fragment : kFragments)
        texts.push_back(fragment + fragment + " " + fragment);
    return texts;
}

std::string HugeHostileText(std::size_t bytes)
{
    const std::string pattern = "1010001'\\\";:p--/*`";
    std::string text;
    text.reserve(bytes);
    while (text.size() + pattern.size() <= bytes)
        text += pattern;
    text.append(bytes - text.size(), '9');
    return text;
}

}  // namespace qelvor::test
