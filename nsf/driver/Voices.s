; What the commands do to the sound chip: tonal notes on the squares and the
; triangle, volume and duty, silence, and the percussion hits that Noise and
; DPCM both play on the noise channel.

.include "Driver.inc"

.segment "ZEROPAGE"
periodLo:       .res 1
periodHi:       .res 1

.segment "CODE"

; Channel X (0 to 2) plays pitch class A (0 to 14) with the operand that
; follows: bits 7-3 the length - 1, bits 2-0 the octave. Pitch classes 12 to
; 14 name no note and rest for the length. Carry set when the operand lies
; past the song block.
.proc TonalNote
        sta scratch
        jsr ReadByte
        bcs @done
        tay
        lsr a
        lsr a
        lsr a
        clc
        adc #1
        sta chanWait,x
        tya
        and #$07
        tay
        lda scratch
        cmp #12
        bcs @rest
        adc Times12,y
        tay
        cpx #TRIANGLE
        beq @triangle

        lda SquarePeriodLo,y
        sta periodLo
        lda SquarePeriodHi,y
        sta periodHi
        txa
        asl a
        asl a
        tay
        lda periodLo
        sta SQ_TIMER_LO,y
        lda periodHi
        ; Writing the high byte restarts the wave: a click, so only on a change.
        cmp lastHigh,x
        beq @sound
        sta lastHigh,x
        ora #LENGTH_LOAD
        sta SQ_TIMER_HI,y
        jmp @sound

@triangle:
        lda TrianglePeriodLo,y
        sta TRI_TIMER_LO
        lda TrianglePeriodHi,y
        cmp lastHigh+TRIANGLE
        beq @sound
        sta lastHigh+TRIANGLE
        ora #LENGTH_LOAD
        sta TRI_TIMER_HI

@sound: lda chanFlags,x
        ora #FLAG_SOUNDING
        sta chanFlags,x
        jsr ApplyVolume
        clc
@done:  rts
@rest:  jsr Silence
        clc
        rts
.endproc

; Brings channel X's level register up to date with its volume, duty and
; whether it sounds. Keeps X.
.proc ApplyVolume
        cpx #TRIANGLE
        beq @triangle
        bcs @percussion
        txa
        asl a
        asl a
        tay
        lda chanFlags,x
        and #FLAG_SOUNDING
        beq @level
        lda chanVolume,x
@level: ora chanDuty,x
        ora #CONSTANT_VOLUME
        sta SQ_CONTROL,y
        rts

        ; The triangle has no volume: any volume but 0 sounds it.
@triangle:
        ldy #TRI_OFF
        lda chanFlags,x
        and #FLAG_SOUNDING
        beq @switch
        lda chanVolume,x
        beq @switch
        ldy #TRI_ON
@switch:
        sty TRI_LINEAR
        rts

@percussion:
        cpx percOwner
        bne @done
        jmp PercussionOut
@done:  rts
.endproc

; Channel X stops sounding. Keeps X.
.proc Silence
        lda chanFlags,x
        and #<~FLAG_SOUNDING
        sta chanFlags,x
        cpx #FIRST_PERCUSSION
        bcs @percussion
        jmp ApplyVolume
@percussion:
        cpx percOwner
        bne @done
        lda #0
        sta percLevel
        jmp PercussionOut
@done:  rts
.endproc

; Channel X (Noise or DPCM) hits preset A (0 to 14). Noise is read before
; DPCM in every unit, so when both hit at once DPCM's hit is the one heard.
.proc Hit
        sta scratch
        asl a
        adc scratch             ; three bytes a preset
        tay
        lda Presets,y
        sta NOISE_PERIOD
        lda #LENGTH_LOAD
        sta NOISE_LENGTH
        lda Presets+1,y
        sta percLevel
        lda Presets+2,y
        sta percDrop
        stx percOwner
        jmp PercussionOut
.endproc

; Once a frame: the hit dies away.
.proc PercussionFrame
        lda percLevel
        beq @done
        sec
        sbc percDrop
        bcs @level
        lda #0
@level: sta percLevel
        jmp PercussionOut
@done:  rts
.endproc

; The noise volume: the hit's level scaled by its channel's volume. Keeps X.
.proc PercussionOut
        ldy percOwner
        lda percLevel
        and #$F0
        ora chanVolume,y
        tay
        lda ScaledVolume,y
        ora #CONSTANT_VOLUME
        sta NOISE_CONTROL
        rts
.endproc
