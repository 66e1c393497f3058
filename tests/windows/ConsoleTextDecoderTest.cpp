// What morvane-keytool makes of text typed at a Windows console, read by read as UTF-16: the
// reads that a console under wine cannot be made to give (Ctrl+Z at a line's start, a pair of
// surrogates cut by a full read, a lone surrogate).
#include "WindowsConsole.h"

#include <QTest>

#include <string>
#include <vector>

Q_DECLARE_METATYPE(std::vector<std::u16string>)
Q_DECLARE_METATYPE(std::string)

class ConsoleTextDecoderTest : public QObject {
  Q_OBJECT

 private slots:
  void decodesReads_data();
  void decodesReads();
};

void ConsoleTextDecoderTest::decodesReads_data() {
  QTest::addColumn<std::vector<std::u16string>>("reads");
  QTest::addColumn<std::string>("utf8");
  QTest::addColumn<bool>("more");  // whether input may follow the last read

  // clang-format off
  QTest::newRow("characters of one, two, three and four bytes")
      << std::vector<std::u16string>{u"\u007f\u0080\u07ff\u0800\uffff\U00010000\U0010ffff\r\n"}
      << std::string("\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf0\x90\x80\x80\xf4\x8f\xbf\xbf\r\n")
      << true;
  QTest::newRow("a pair of surrogates cut by the end of a read")
      << std::vector<std::u16string>{u"ab\xd83d", u"\xde00\r\n"}
      << std::string("ab\xf0\x9f\x98\x80\r\n") << true;
  QTest::newRow("a lone second half: bytes no UTF-8 text holds")
      << std::vector<std::u16string>{u"a\xde00" "b"}
      << std::string("a\xed\xb8\x80" "b") << true;
  QTest::newRow("a lone first half before a letter")
      << std::vector<std::u16string>{u"\xd83dx"}
      << std::string("\xed\xa0\xbdx") << true;
  QTest::newRow("a first half, then the end of the input")
      << std::vector<std::u16string>{u"a\xd83d", u""}
      << std::string("a\xed\xa0\xbd") << false;
  QTest::newRow("Ctrl+Z at the start of a line ends the input, and nothing is taken after it")
      << std::vector<std::u16string>{u"ab\r\n", u"\x1a\r\n", u"cd\r\n"}
      << std::string("ab\r\n") << false;
  QTest::newRow("Ctrl+Z at the start of the second line of one read")
      << std::vector<std::u16string>{u"ab\r\n\x1a" "cd\r\n"}
      << std::string("ab\r\n") << false;
  QTest::newRow("Ctrl+Z before anything")
      << std::vector<std::u16string>{u"\x1a"} << std::string() << false;
  QTest::newRow("Ctrl+Z inside a line is a character")
      << std::vector<std::u16string>{u"a\x1a\r\n", u"b\x1a"}
      << std::string("a\x1a\r\nb\x1a") << true;
  QTest::newRow("a read that ends a line's middle, then Ctrl+Z")
      << std::vector<std::u16string>{u"ab", u"\x1a\r\n"}
      << std::string("ab\x1a\r\n") << true;
  // clang-format on
}

void ConsoleTextDecoderTest::decodesReads() {
  QFETCH(std::vector<std::u16string>, reads);
  QFETCH(std::string, utf8);
  QFETCH(bool, more);

  morvane::keytool::ConsoleTextDecoder decoder;
  std::string decoded;
  bool more_after = true;
  for (const std::u16string& read : reads) more_after = decoder.Decode(read, decoded);
  QCOMPARE(QByteArray::fromStdString(decoded), QByteArray::fromStdString(utf8));
  QCOMPARE(more_after, more);
}

QTEST_APPLESS_MAIN(ConsoleTextDecoderTest)
#include "ConsoleTextDecoderTest.moc"
