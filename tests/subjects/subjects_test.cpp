// The procedures under test, called as (1, 2, 3) through the checking
// harness: their results, the registers they must keep, and who releases
// the arguments.
#include <gtest/gtest.h>

#include "harness/checked_call.h"

extern "C" {
void TestNoFrameA();
void TestNoFrameB();
void TheOne();
void TestWithFrame();
void BrokenKeepsArguments();
void BrokenClobbersEbx();
void BrokenWritesAboveArguments();
}

namespace {

struct Subject {
  const char* name;
  void (*procedure)();
  ArgumentRelease release;
};

const Subject kSubjects[] = {
    {"TestNoFrameA", TestNoFrameA, ArgumentRelease::kCallee},
    {"TestNoFrameB", TestNoFrameB, ArgumentRelease::kCallee},
    {"TheOne", TheOne, ArgumentRelease::kCaller},
    {"TestWithFrame", TestWithFrame, ArgumentRelease::kCallee},
};

class SubjectTest : public testing::TestWithParam<Subject> {};

TEST_P(SubjectTest, LeavesArgumentsInRegistersAndKeepsTheConvention) {
  const Subject& subject = GetParam();
  for (uint32_t skew : {0u, 4u, 8u, 12u}) {
    const CallObservation call = ObserveCall(reinterpret_cast<const void*>(subject.procedure), {1, 2, 3}, skew);
    EXPECT_EQ(call.eax, 1u) << "skew " << skew;
    EXPECT_EQ(call.edx, 2u) << "skew " << skew;
    EXPECT_EQ(call.ecx, 3u) << "skew " << skew;
    EXPECT_EQ(ConventionFaults(call, 3, subject.release), "") << "skew " << skew;
  }
}

TEST_P(SubjectTest, ReadsItsArgumentsNotConstants) {
  const Subject& subject = GetParam();
  const CallObservation call =
      ObserveCall(reinterpret_cast<const void*>(subject.procedure), {0xA1A1A1A1, 0xB2B2B2B2, 0xC3C3C3C3});
  EXPECT_EQ(call.eax, 0xA1A1A1A1u);
  EXPECT_EQ(call.edx, 0xB2B2B2B2u);
  EXPECT_EQ(call.ecx, 0xC3C3C3C3u);
}

INSTANTIATE_TEST_SUITE_P(Procedures, SubjectTest, testing::ValuesIn(kSubjects),
                         [](const testing::TestParamInfo<Subject>& info) {
                           return std::string(info.param.name);
                         });

TEST(CheckedCallTest, ReportsEachKindOfFault) {
  struct Case {
    void (*procedure)();
    const char* fault;
  } const cases[] = {
      {BrokenKeepsArguments, "stack pointer moved by -12, expected 0\n"},
      {BrokenClobbersEbx, "EBX changed\n"},
      {BrokenWritesAboveArguments, "stack corruption above the arguments\n"},
  };
  for (const Case& c : cases) {
    const CallObservation call = ObserveCall(reinterpret_cast<const void*>(c.procedure), {1, 2, 3});
    EXPECT_EQ(ConventionFaults(call, 3, ArgumentRelease::kCallee), c.fault);
  }
}

TEST(CheckedCallTest, TheOneJudgedAsCalleeReleasingFails) {
  const CallObservation call = ObserveCall(reinterpret_cast<const void*>(TheOne), {1, 2, 3});
  EXPECT_NE(ConventionFaults(call, 3, ArgumentRelease::kCallee), "");
}

}  // namespace
