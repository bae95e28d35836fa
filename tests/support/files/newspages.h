#ifndef NEWSPAGES_H
#define NEWSPAGES_H

#include <QByteArray>

// News pages as the site keeps them, and the item the editor's usual example turns into.

// A windows-1251 page with CRLF line ends and one older item, cut at the insertion point.
inline const QByteArray Before("<html>\r\n<body>\r\n<p>\xCD\xEE\xE2\xEE\xF1\xF2\xE8 <font color=yellow>");
inline const QByteArray After("\r\n \r\nold item<br>\r\n</p>\r\n</body>\r\n</html>\r\n");

// A small page with LF line ends and one older item.
inline const QByteArray Page("<html><body><font color=yellow>\n \nold item<br></body></html>");

// "abc", "def" on two lines, dated 05.12.2026 18:48, as it goes into the page.
inline const QByteArray WorkedItem("\n \nabc<br>def<br>\n \n<br>05/12/2026 18:48<br><br>");
// The same on a page with CRLF line ends, such as Before + After.
inline const QByteArray WorkedItemCrLf("\r\n \r\nabc<br>def<br>\r\n \r\n<br>05/12/2026 18:48<br><br>");

#endif // NEWSPAGES_H
