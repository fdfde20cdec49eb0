// main() for GoogleTest programs that drive Qt widgets: one QApplication for
// the whole program (offscreen under CTest).
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
