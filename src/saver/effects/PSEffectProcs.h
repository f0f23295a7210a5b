#pragma once
// The effect procedures, one per number, defined by family in PSEffectPixels.cpp (pixel passes),
// PSEffectBlocks.cpp (block copies and stretches) and PSEffectRegions.cpp (clip regions).
#include "saver/effects/PSEffect.h"

namespace ky {
namespace effects {

int Half(int v);

void Effect1(const TEffectCanvas&); void Effect2(const TEffectCanvas&); void Effect3(const TEffectCanvas&);
void Effect4(const TEffectCanvas&); void Effect5(const TEffectCanvas&); void Effect6(const TEffectCanvas&);
void Effect7(const TEffectCanvas&); void Effect8(const TEffectCanvas&); void Effect9(const TEffectCanvas&);
void Effect10(const TEffectCanvas&); void Effect11(const TEffectCanvas&); void Effect12(const TEffectCanvas&);
void Effect13(const TEffectCanvas&); void Effect14(const TEffectCanvas&); void Effect15(const TEffectCanvas&);
void Effect16(const TEffectCanvas&); void Effect17(const TEffectCanvas&); void Effect18(const TEffectCanvas&);
void Effect19(const TEffectCanvas&); void Effect20(const TEffectCanvas&); void Effect21(const TEffectCanvas&);
void Effect22(const TEffectCanvas&); void Effect23(const TEffectCanvas&); void Effect24(const TEffectCanvas&);
void Effect25(const TEffectCanvas&); void Effect26(const TEffectCanvas&); void Effect27(const TEffectCanvas&);
void Effect28(const TEffectCanvas&); void Effect29(const TEffectCanvas&); void Effect30(const TEffectCanvas&);
void Effect31(const TEffectCanvas&); void Effect32(const TEffectCanvas&); void Effect33(const TEffectCanvas&);
void Effect34(const TEffectCanvas&); void Effect35(const TEffectCanvas&); void Effect36(const TEffectCanvas&);
void Effect37(const TEffectCanvas&); void Effect38(const TEffectCanvas&); void Effect39(const TEffectCanvas&);
void Effect40(const TEffectCanvas&); void Effect41(const TEffectCanvas&); void Effect42(const TEffectCanvas&);
void Effect43(const TEffectCanvas&); void Effect44(const TEffectCanvas&); void Effect45(const TEffectCanvas&);
void Effect46(const TEffectCanvas&); void Effect47(const TEffectCanvas&); void Effect48(const TEffectCanvas&);
void Effect49(const TEffectCanvas&); void Effect50(const TEffectCanvas&); void Effect51(const TEffectCanvas&);
void Effect52(const TEffectCanvas&); void Effect53(const TEffectCanvas&); void Effect54(const TEffectCanvas&);
void Effect55(const TEffectCanvas&); void Effect56(const TEffectCanvas&); void Effect57(const TEffectCanvas&);
void Effect58(const TEffectCanvas&); void Effect59(const TEffectCanvas&); void Effect60(const TEffectCanvas&);
void Effect61(const TEffectCanvas&); void Effect62(const TEffectCanvas&); void Effect63(const TEffectCanvas&);
void Effect64(const TEffectCanvas&); void Effect65(const TEffectCanvas&); void Effect66(const TEffectCanvas&);
void Effect67(const TEffectCanvas&); void Effect68(const TEffectCanvas&); void Effect69(const TEffectCanvas&);
void Effect70(const TEffectCanvas&); void Effect71(const TEffectCanvas&); void Effect72(const TEffectCanvas&);
void Effect73(const TEffectCanvas&); void Effect74(const TEffectCanvas&); void Effect75(const TEffectCanvas&);
void Effect76(const TEffectCanvas&); void Effect77(const TEffectCanvas&); void Effect78(const TEffectCanvas&);
void Effect79(const TEffectCanvas&); void Effect80(const TEffectCanvas&); void Effect81(const TEffectCanvas&);
void Effect82(const TEffectCanvas&); void Effect83(const TEffectCanvas&); void Effect84(const TEffectCanvas&);
void Effect85(const TEffectCanvas&); void Effect86(const TEffectCanvas&); void Effect87(const TEffectCanvas&);
void Effect88(const TEffectCanvas&); void Effect89(const TEffectCanvas&); void Effect90(const TEffectCanvas&);
void Effect91(const TEffectCanvas&); void Effect92(const TEffectCanvas&); void Effect93(const TEffectCanvas&);
void Effect94(const TEffectCanvas&); void Effect95(const TEffectCanvas&); void Effect96(const TEffectCanvas&);
void Effect97(const TEffectCanvas&); void Effect98(const TEffectCanvas&); void Effect99(const TEffectCanvas&);
void Effect100(const TEffectCanvas&); void Effect101(const TEffectCanvas&); void Effect102(const TEffectCanvas&);
void Effect103(const TEffectCanvas&); void Effect104(const TEffectCanvas&); void Effect105(const TEffectCanvas&);
void Effect106(const TEffectCanvas&); void Effect107(const TEffectCanvas&); void Effect108(const TEffectCanvas&);
void Effect109(const TEffectCanvas&); void Effect110(const TEffectCanvas&); void Effect111(const TEffectCanvas&);
void Effect112(const TEffectCanvas&); void Effect113(const TEffectCanvas&); void Effect114(const TEffectCanvas&);
void Effect115(const TEffectCanvas&); void Effect116(const TEffectCanvas&); void Effect117(const TEffectCanvas&);
void Effect118(const TEffectCanvas&); void Effect119(const TEffectCanvas&); void Effect120(const TEffectCanvas&);
void Effect121(const TEffectCanvas&); void Effect122(const TEffectCanvas&); void Effect123(const TEffectCanvas&);
void Effect124(const TEffectCanvas&); void Effect125(const TEffectCanvas&); void Effect126(const TEffectCanvas&);
void Effect127(const TEffectCanvas&); void Effect128(const TEffectCanvas&); void Effect129(const TEffectCanvas&);
void Effect130(const TEffectCanvas&); void Effect131(const TEffectCanvas&); void Effect132(const TEffectCanvas&);
void Effect133(const TEffectCanvas&); void Effect134(const TEffectCanvas&); void Effect135(const TEffectCanvas&);
void Effect136(const TEffectCanvas&); void Effect137(const TEffectCanvas&); void Effect138(const TEffectCanvas&);
void Effect139(const TEffectCanvas&); void Effect140(const TEffectCanvas&); void Effect141(const TEffectCanvas&);
void Effect142(const TEffectCanvas&); void Effect143(const TEffectCanvas&); void Effect144(const TEffectCanvas&);
void Effect145(const TEffectCanvas&); void Effect146(const TEffectCanvas&); void Effect147(const TEffectCanvas&);
void Effect148(const TEffectCanvas&); void Effect149(const TEffectCanvas&); void Effect150(const TEffectCanvas&);
void Effect151(const TEffectCanvas&); void Effect152(const TEffectCanvas&); void Effect153(const TEffectCanvas&);
void Effect154(const TEffectCanvas&); void Effect155(const TEffectCanvas&); void Effect156(const TEffectCanvas&);
void Effect157(const TEffectCanvas&); void Effect158(const TEffectCanvas&); void Effect159(const TEffectCanvas&);
void Effect160(const TEffectCanvas&); void Effect161(const TEffectCanvas&); void Effect162(const TEffectCanvas&);
void Effect163(const TEffectCanvas&); void Effect164(const TEffectCanvas&); void Effect165(const TEffectCanvas&);
void Effect166(const TEffectCanvas&); void Effect167(const TEffectCanvas&); void Effect168(const TEffectCanvas&);
void Effect169(const TEffectCanvas&);

}  // namespace effects
}  // namespace ky
