#pragma once

#include <string>
#include <string_view>

#include "state/services.h"
#include "state/service_cells.h"

namespace yz::testing_support {

// A cloud that answers every sentence with the same text and knows no hit counts.
struct FixedCloud final : WebServices {
  explicit FixedCloud(WebCells& cells) : web(cells) {}
  float xymaypu(std::u16string_view) override { return -1; }
  float xymaypu1(std::u16string_view, std::u16string_view) override { return -1; }
  void yuu() override { web.cloudText = answer; }
  void yuuqp() override { web.cloudText.clear(); }
  WebCells& web;
  std::u16string answer;
};

}  // namespace yz::testing_support
