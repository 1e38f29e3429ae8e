#pragma once

#include "base/Rules.h"

#include <memory>

// Twenty rules as a web server's admin might keep them, five of them expressions, none of
// which takes an ordinary request line: each such line meets every rule.
inline std::shared_ptr<const RuleSet> TwentyRules()
{
    return std::make_shared<const RuleSet>(
        ParseRules("colour:red\twords\tnocase\terror\n"
                   "colour:orange\twords\tnocase\tfail\n"
                   "colour:orange\twords\tnocase\ttimeout\n"
                   "colour:yellow\twords\tnocase\tdenied\n"
                   "colour:yellow\twords\tnocase\trefused\n"
                   "colour:yellow\twords\tnocase\twarning\n"
                   "colour:red\twords\tnocase\tcritical\n"
                   "colour:red\twords\tnocase\tpanic\n"
                   "colour:red\twords\tnocase\tsegfault\n"
                   "colour:purple\twords\tnocase\tout of memory\n"
                   "colour:blue\twords\tcase\tPOST\n"
                   "colour:blue\twords\tcase\tDELETE\n"
                   "hide\twords\tnocase\thealthcheck\n"
                   "hide\twords\tnocase\tfavicon.ico\n"
                   "hide\twords\tnocase\trobots.txt\n"
                   "colour:purple\tregex\tnocase\t\" 5\\d\\d \n"
                   "colour:cyan\tregex\tnocase\t\" 4\\d\\d \n"
                   "colour:grey\tregex\tnocase\t\\bsqlmap\\b\n"
                   "colour:green\tregex\tnocase\t/wp-(admin|login)\n"
                   "hide\tregex\tcase\t^\\S+ \\S+ \\S+ \\[[^\\]]+\\] \"GET /status/\n")
            .rules);
}
