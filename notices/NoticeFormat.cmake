# The notices file's section heading: this rule, "Package: <name> <version>", what was linked,
# the rule again, a blank line, then the package's copyright file as it is.
string(REPEAT "=" 79 ORVANE_NOTICE_RULE)
