#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <string>
#include <vector>

// An XML document parsed by libxml2, for reading back what the SVG writer wrote: null when the
// text is not well-formed. No network, no external entities.
struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDoc = std::unique_ptr<xmlDoc, XmlDocFree>;

inline XmlDoc parseXml(const std::string& text) {
    return XmlDoc(xmlReadMemory(text.data(), static_cast<int>(text.size()), "drawing.svg", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

inline std::string name(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->name);
}

// The attribute's value, or "" when the element has none.
inline std::string attribute(const xmlNode* node, const char* attr) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(attr));
    std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

inline std::string textOf(const xmlNode* node) {
    xmlChar* value = xmlNodeGetContent(node);
    std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

inline std::vector<const xmlNode*> childElements(const xmlNode* node) {
    std::vector<const xmlNode*> children;
    for (const xmlNode* c = node->children; c != nullptr; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) {
            children.push_back(c);
        }
    }
    return children;
}

// Every element below node (node included) with the given name, in document order.
inline void collect(const xmlNode* node, const std::string& wanted,
                    std::vector<const xmlNode*>& found) {
    if (node->type == XML_ELEMENT_NODE && name(node) == wanted) {
        found.push_back(node);
    }
    for (const xmlNode* c : childElements(node)) {
        collect(c, wanted, found);
    }
}

inline std::vector<const xmlNode*> descendants(const xmlNode* node, const std::string& wanted) {
    std::vector<const xmlNode*> found;
    collect(node, wanted, found);
    return found;
}
