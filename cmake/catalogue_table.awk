# Turns a message catalogue, as `msgattrib --no-fuzzy --no-obsolete --translated --no-wrap` gives
# it, into a C++ table of its translations for platform/builtin_catalogue.h. The catalogue's
# strings use C's escapes, so each quoted piece is copied as it is and the compiler joins them.
# Only languages with a single plural form are supported: a plural message keeps its one form.
#
# usage: awk -v table=NAME -v source=PO-FILE -v output=FILE.cpp -f catalogue_table.awk CATALOGUE

function fail(why) {
    print FILENAME ":" FNR ": " why > "/dev/stderr"
    failed = 1
    exit 1
}

# Ends the message read so far: the header is checked, any other message goes into the table.
function finish() {
    if (field == "") {
        return
    }
    if (english == "\"\"") {
        if (translation !~ /nplurals=1;/) {
            fail("only catalogues with one plural form (nplurals=1) can be built in")
        }
    } else {
        entries = entries "    {" english ",\n     " translation "},\n"
        ++count
    }
    english = translation = field = ""
}

BEGIN {
    if (table == "" || output == "") {
        print "catalogue_table.awk: give -v table=NAME -v output=FILE" > "/dev/stderr"
        failed = 1
        exit 1
    }
}

/^msgctxt / { fail("messages with a context are not looked up") }
/^msgid / { finish(); field = "english"; english = substr($0, 7); next }
/^msgid_plural / { field = "plural"; next }
/^msgstr(\[0\])? / { field = "translation"; translation = substr($0, index($0, "\"")); next }
/^msgstr\[[1-9]/ { fail("a second plural form cannot be chosen") }
/^"/ {
    if (field == "english") {
        english = english " " $0
    } else if (field == "translation") {
        translation = translation " " $0
    }
    next
}
/^(#|$)/ { next }
{ fail("not understood: " $0) }

END {
    if (failed) {
        exit 1
    }
    finish()
    print "// Generated from " source " by cmake/catalogue_table.awk: edit the catalogue instead." > output
    print "#include \"platform/builtin_catalogue.h\"\n" > output
    print "namespace {\n" > output
    print "constexpr CatalogueEntry kEntries[] = {" > output
    printf "%s", entries > output
    print "};\n" > output
    print "}  // namespace\n" > output
    print "const std::span<const CatalogueEntry> " table "(kEntries);" > output
}
