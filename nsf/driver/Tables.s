; The driver's tables: timer periods, duties, and the percussion presets.

.include "Driver.inc"

.segment "RODATA"

.include "Periods.inc"

Times12:
        .repeat 8, octave
        .byte 12 * octave
        .endrepeat

; Square duty by timbre value: 50 %, 25 %, 12.5 %, 75 %.
DutyBits:
        .byte $80, $40, $00, $C0

; A hit's volume (high nibble of its level) times its channel's volume, so
; that volume 15 plays the hit as it is and volume 0 mutes it.
ScaledVolume:
        .repeat 16, level
        .repeat 16, volume
        .byte level * (volume + 1) / 16
        .endrepeat
        .endrepeat

; Percussion presets by label value. A hit starts at its level (volume * 16)
; and loses the drop every frame. Noise mode $80 is the short, metallic loop;
; the low four bits pick the noise period, 0 the highest.
.macro preset noise, level, drop
        .byte noise, level, drop
.endmacro
;                noise  level  drop      frames
Presets:
        preset   $8D,   $F0,   $50  ;  0 kick              3
        preset   $07,   $F0,   $10  ;  1 snare            15
        preset   $0B,   $F0,   $14  ;  2 low floor tom    12
        preset   $0A,   $F0,   $14  ;  3 high floor tom   12
        preset   $09,   $F0,   $14  ;  4 low tom          12
        preset   $08,   $F0,   $14  ;  5 mid tom          12
        preset   $01,   $A0,   $28  ;  6 closed hat        4
        preset   $02,   $C0,   $10  ;  7 open hat         12
        preset   $05,   $F0,   $08  ;  8 crash            30
        preset   $03,   $E0,   $38  ;  9 clap              4
        preset   $03,   $90,   $12  ; 10 ride              8
        preset   $01,   $C0,   $30  ; 11 tambourine        4
        preset   $0E,   $F0,   $50  ; 12 low kick          3
        preset   $04,   $C0,   $40  ; 13 side stick        3
        preset   $86,   $B0,   $16  ; 14 cowbell           8


; DPCM's samples by preset: the DMC rate index ($80: no sample, the hit goes
; to the noise channel), and what $4012 and $4013 take. One tom sample plays
; every tom, lower at lower rates.
NO_SAMPLE = $80
.define DMC_START(sample) <((sample - $C000) >> 6)
;                 0 kick            1 snare            2-5 toms, low to high
SampleRate:
        .byte     12,               13,                9, 10, 11, 12
        ;         6 to 11: hats, crash, clap, ride, tambourine
        .byte     NO_SAMPLE, NO_SAMPLE, NO_SAMPLE, NO_SAMPLE, NO_SAMPLE, NO_SAMPLE
        ;         12 low kick       13 side stick      14 cowbell
        .byte     10,               15,                NO_SAMPLE
SampleAddress:
        .byte     DMC_START KickSample, DMC_START SnareSample
        .repeat 4
        .byte     DMC_START TomSample
        .endrepeat
        .res 6
        .byte     DMC_START KickSample, DMC_START SnareSample, 0
SampleLength:
        .byte     KICK_LENGTH, SNARE_LENGTH, TOM_LENGTH, TOM_LENGTH, TOM_LENGTH, TOM_LENGTH
        .res 6
        .byte     KICK_LENGTH, SNARE_LENGTH, 0

; The DMC reads its samples from $C000 up, in 64-byte steps: the driver's
; own bank at $F000 holds them, which nothing switches out.
.segment "SAMPLES"
.include "Samples.inc"
