# Reads an Atom feed from the file named as the argument with feedparser, as feed readers do, and
# prints what it made of it as JSON; "problem" is set when it is not well-formed Atom 1.0.
import json
import sys

import feedparser

parsed = feedparser.parse(sys.argv[1], sanitize_html=False, resolve_relative_uris=False)
problem = ""
if parsed.bozo:
    problem = "bozo: %s" % parsed.bozo_exception
elif parsed.version != "atom10":
    problem = "version %r" % parsed.version
feed = parsed.feed
print(json.dumps({
    "problem": problem,
    "id": feed.get("id", ""),
    "title": feed.get("title", ""),
    "links": ["%s %s" % (link.get("rel"), link.get("href")) for link in feed.get("links", [])],
    "entries": [{
        "id": entry.get("id", ""),
        "title": entry.get("title", ""),
        "published": entry.get("published", ""),
        "updated": entry.get("updated", ""),
        "link": entry.get("link", ""),
        "content": entry.content[0].value if entry.get("content") else "",
        "base": entry.content[0].get("base", "") if entry.get("content") else "",
    } for entry in parsed.entries],
}))
